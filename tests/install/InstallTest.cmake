# Installs the build into a fresh prefix and builds the Debian package, unpacks it with dpkg -x,
# and starts kelvora-cli from both places. Run with -DBUILD=<build dir> -DOUT=<scratch dir>.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(last_out "${out}" PARENT_SCOPE)
endfunction()

function(expect_cli bin)
  run(${bin} --version)
  if(NOT last_out MATCHES "^kelvora-cli [0-9]")
    message(FATAL_ERROR "unexpected --version output of ${bin}: ${last_out}")
  endif()
endfunction()

function(expect_files root)
  foreach(f share/kelvora/readme.txt share/man/man1/kelvora-cli.1 ${ARGN})
    if(NOT EXISTS ${root}/${f})
      message(FATAL_ERROR "not installed: ${root}/${f}")
    endif()
  endforeach()
endfunction()

# cmake --install into a prefix with a blank in its name.
set(prefix "${OUT}/prefix dir")
run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})
expect_cli("${prefix}/bin/kelvora-cli")
expect_files("${prefix}")

# The Debian package: built by cpack, unpacked without installing, started from there.
run(${CMAKE_CPACK_COMMAND} -G DEB --config ${BUILD}/CPackConfig.cmake -B ${OUT}/pkg)
file(GLOB debs ${OUT}/pkg/*.deb)
list(LENGTH debs n)
if(NOT n EQUAL 1)
  message(FATAL_ERROR "expected one .deb in ${OUT}/pkg, found: ${debs}")
endif()
run(dpkg-deb --field ${debs} Package Depends)
if(NOT last_out MATCHES "Package: kelvora" OR NOT last_out MATCHES "libonig")
  message(FATAL_ERROR "package fields lack the name or the runtime libraries:\n${last_out}")
endif()
run(dpkg -x ${debs} ${OUT}/root)
expect_cli(${OUT}/root/usr/bin/kelvora-cli)
expect_files(${OUT}/root/usr)
file(REMOVE_RECURSE ${OUT})
