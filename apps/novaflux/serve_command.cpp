// `novaflux serve`: the HTTP API and the selection page on this machine.
#include <iostream>
#include <memory>

#include "commands.hpp"
#include "server/http_server.hpp"

namespace novaflux::tool {

void register_serve_command(CLI::App& app) {
  struct Options {
    server::ServerOptions server;
    double read_timeout_s = 30, write_timeout_s = 30;
  };
  auto o = std::make_shared<Options>();
  auto* cmd = app.add_subcommand("serve", "serve the HTTP API and the selection page (until SIGINT or SIGTERM)");
  cmd->add_option("--address", o->server.address, "address to listen on; any but a loopback one needs --token")
      ->capture_default_str();
  cmd->add_option("--port", o->server.port, "TCP port (0: any free port)")->capture_default_str();
  cmd->add_option("--token", o->server.token,
                  "clients must send \"Authorization: Bearer TOKEN\" to use the API");
  cmd->add_option("--threads", o->server.threads, "threads that read, rate and write (default: two per processor, at least 4)")
      ->check(CLI::Range(1u, 256u));
  cmd->add_option("--read-timeout", o->read_timeout_s, "seconds a client has to send a whole request")
      ->check(CLI::Range(0.01, 3600.0))->capture_default_str();
  cmd->add_option("--write-timeout", o->write_timeout_s, "seconds a client has to take each part of an answer")
      ->check(CLI::Range(0.01, 3600.0))->capture_default_str();
  cmd->add_option("--max-connections", o->server.max_connections, "connections served at once; more are told to retry")
      ->check(CLI::Range(size_t{1}, size_t{100000}))->capture_default_str();
  cmd->fallthrough();
  cmd->callback([o] {
    try {
      server::ServerOptions options = o->server;
      options.read_timeout = std::chrono::milliseconds(static_cast<int64_t>(o->read_timeout_s * 1000));
      options.write_timeout = std::chrono::milliseconds(static_cast<int64_t>(o->write_timeout_s * 1000));
      options.on_listening = [](const std::string& url) {
        std::cout << "novaflux serve: listening on " << url << " (SIGINT or SIGTERM stops)" << std::endl;
      };
      server::serve(options);
      std::cerr << "novaflux serve: stopped\n";
    } catch (const std::exception& e) {
      std::cerr << "novaflux serve: " << e.what() << "\n";
      exit_status() = 1;
    }
  });
}

}  // namespace novaflux::tool
