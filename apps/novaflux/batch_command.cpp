// `novaflux batch IN.csv -o OUT.csv`: many ratings from a CSV file, one output row per input
// row. The format of both files is described in batch_columns.hpp and the README.
#include <unistd.h>

#include <iostream>
#include <memory>

#include "batch/batch_runner.hpp"
#include "commands.hpp"

namespace novaflux::tool {

void register_batch_command(CLI::App& app) {
  auto o = std::make_shared<BatchOptions>();
  auto* cmd = app.add_subcommand(
      "batch", "rate every row of a CSV file whose header names input properties; write one row per input row");
  // The tool's own options (--catalogue) may also follow the verb.
  cmd->fallthrough();
  cmd->add_option("input", o->input, "CSV file, or - for standard input")->required();
  cmd->add_option("-o,--output", o->output,
                  "CSV file to write (it appears only when complete), or - for standard output")
      ->required();
  cmd->add_option("--threads", o->threads, "worker threads (default: one per processor)")
      ->check(CLI::Range(1u, 1024u));
  cmd->add_flag("--model-run", o->model_run,
                "rate the model in the KivinputModel column (CalculateOutputModel) instead of selecting one");
  cmd->callback([o] {
    try {
      BatchOptions options = *o;
      options.progress = ::isatty(STDERR_FILENO) == 1;
      const BatchSummary s = run_batch(options);
      if (s.failed_rows > 0) {
        std::cerr << "novaflux batch: " << s.failed_rows << " of " << s.rows
                  << (s.rows == 1 ? " row" : " rows") << " failed; the first, line "
                  << s.first_failed_line << ": " << s.first_failure_text << " ("
                  << s.first_failure_number << ")\n";
        exit_status() = 2;
      }
    } catch (const std::exception& e) {
      std::cerr << "novaflux batch: " << e.what() << "\n";
      exit_status() = 1;
    }
  });
}

}  // namespace novaflux::tool
