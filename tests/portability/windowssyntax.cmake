# cmake -DCOMPILER=... -DLIST_DIR=... -DTARGETS=a;b -P windowssyntax.cmake
# Compiles every source listed for each target with -fsyntax-only and fails when one does not
# compile. A target's list holds one compiler argument per line, its sources last.
set(failed "")
set(count 0)
foreach(target IN LISTS TARGETS)
  file(STRINGS ${LIST_DIR}/${target}.args arguments)
  set(sources "")
  foreach(argument IN LISTS arguments)
    if(argument MATCHES "\\.cpp$")
      list(APPEND sources ${argument})
    endif()
  endforeach()
  list(LENGTH sources n)
  math(EXPR count "${count} + ${n}")
  # The Linux system headers must not hide the Windows compiler's own.
  list(FILTER arguments EXCLUDE REGEX "^-I/usr/include/?$")
  # Qt's CMake package gives every Windows target UNICODE and _UNICODE.
  execute_process(
    COMMAND ${COMPILER} -std=c++17 -fsyntax-only -DUNICODE -D_UNICODE ${arguments}
    RESULT_VARIABLE result
    ERROR_VARIABLE errors
    OUTPUT_VARIABLE output)
  if(NOT result EQUAL 0)
    list(APPEND failed ${target})
    message("${target}: ${output}${errors}")
  endif()
endforeach()
list(LENGTH TARGETS targetCount)
if(failed)
  message(FATAL_ERROR "Not compilable for Windows: ${failed}")
endif()
message("${count} sources of ${targetCount} targets compile for Windows (syntax only)")
