# The compiler's runtime DLLs that a Windows toolchain file names in
# TOLMAK_MINGW_RUNTIME_DLLS: copied beside the engine, so that the programs
# of the build run from there, and installed with it.
foreach(dll IN LISTS TOLMAK_MINGW_RUNTIME_DLLS)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not find its runtime DLL ${dll}")
  endif()
  file(COPY ${path} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  install(FILES ${path} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
