# The DLLs of mingw-w64's runtime that its programs load (C++ library, unwinder, threads), laid
# stripped of their debugging sections into PRAVIX_RUNTIME_DIR of the build tree: from there the
# install step ships them and the tests under Wine load them. The compiler says where its own
# copies are, so another mingw-w64 release or layout finds the matching ones.
set(PRAVIX_RUNTIME_DIR ${CMAKE_BINARY_DIR}/mingw-runtime)
set(PRAVIX_RUNTIME_DLLS "")
set(pravix_runtime_sources "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  # A compiler installed on Windows itself keeps them beside its own executable instead.
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    get_filename_component(compilerDir ${CMAKE_CXX_COMPILER} DIRECTORY)
    set(path ${compilerDir}/${dll})
  endif()
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
  endif()
  get_filename_component(path "${path}" ABSOLUTE)
  add_custom_command(OUTPUT ${PRAVIX_RUNTIME_DIR}/${dll}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PRAVIX_RUNTIME_DIR}
    COMMAND ${CMAKE_STRIP} --strip-debug -o ${PRAVIX_RUNTIME_DIR}/${dll} ${path}
    DEPENDS ${path} VERBATIM)
  list(APPEND PRAVIX_RUNTIME_DLLS ${PRAVIX_RUNTIME_DIR}/${dll})
endforeach()
add_custom_target(pravix_mingw_runtime ALL DEPENDS ${PRAVIX_RUNTIME_DLLS})
