# Writes the tool's man page (cmake -DTOOL= -DHELP2MAN= -DEXTRA= -DOUTPUT= -P man_page.cmake):
# help2man reads `novaflux --help` and `--version`; each verb's own help follows in a COMMANDS
# section, then the hand-written sections of EXTRA (files, examples).
get_filename_component(tool_dir ${TOOL} DIRECTORY)
get_filename_component(tool_name ${TOOL} NAME)
get_filename_component(output_dir ${OUTPUT} DIRECTORY)
# The tool run by its bare name, so that the usage lines read "novaflux ...", not a build path.
set(ENV{PATH} "${tool_dir}:$ENV{PATH}")

# The verbs a help text lists under "Subcommands:".
function(listed_verbs help out)
  string(REGEX MATCH "\nSubcommands:\n.*" verb_lines "${help}")
  string(REGEX MATCHALL "\n  [a-z]+ " verbs "${verb_lines}")
  list(TRANSFORM verbs STRIP)
  set(${out} ${verbs} PARENT_SCOPE)
endfunction()

# One subsection per verb (and per verb of a verb, as `catalogue build`) with its help verbatim.
function(append_verb_help words)
  execute_process(COMMAND ${tool_name} ${words} --help OUTPUT_VARIABLE help COMMAND_ERROR_IS_FATAL ANY)
  listed_verbs("${help}" verbs)
  # Verbatim text for groff: a backslash is \e, a hyphen \-, a line may not start with a control
  # character.
  string(REPLACE "\\" "\\e" help "${help}")
  string(REPLACE "-" "\\-" help "${help}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
  string(REPLACE ";" " " title "${words}")
  string(APPEND include_text ".SS \"${title}\"\n.nf\n${help}.fi\n")
  foreach(verb ${verbs})
    append_verb_help("${words};${verb}")
  endforeach()
  set(include_text "${include_text}" PARENT_SCOPE)
endfunction()

execute_process(COMMAND ${tool_name} --help OUTPUT_VARIABLE help COMMAND_ERROR_IS_FATAL ANY)
listed_verbs("${help}" verbs)
if(NOT verbs)
  message(FATAL_ERROR "no verbs in `${tool_name} --help`")
endif()
set(include_text "[COMMANDS]\n")
foreach(verb ${verbs})
  append_verb_help(${verb})
endforeach()
file(READ ${EXTRA} extra)
file(WRITE ${output_dir}/novaflux.h2m "${include_text}\n${extra}")

execute_process(COMMAND ${HELP2MAN} --no-info --section 1
                  --name "rate rotary heat-recovery wheels for air-handling units"
                  --include ${output_dir}/novaflux.h2m --output ${output_dir}/novaflux.1 ${tool_name}
                COMMAND_ERROR_IS_FATAL ANY)
# -n: no name or time stamp in the archive, so that the same page gives the same bytes.
execute_process(COMMAND gzip -9 -n -f ${output_dir}/novaflux.1 COMMAND_ERROR_IS_FATAL ANY)
