# Writes the HTML site of the golden site tree with kelvora-cli and checks every link of it with
# check_site_links.py: no link to a missing page or anchor, no anchor twice on a page.
# -DCLI=kelvora-cli -DTREE=<tree> -DOUT=<work folder> -DCHECKER=<check_site_links.py>
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}/home" "${OUT}/site")
file(COPY "${TREE}/" DESTINATION "${OUT}/tree")
set(ENV{KELVORA_HOME} "${OUT}/home")
execute_process(COMMAND "${CLI}" analyse "${OUT}/tree" --write "html=${OUT}/site"
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kelvora-cli failed (${status}): ${errors}")
endif()
find_program(PYTHON3 python3 REQUIRED)
execute_process(COMMAND "${PYTHON3}" "${CHECKER}" "${OUT}/site" --expect-clean
                RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
message("${report}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the site has dead or repeated links")
endif()
