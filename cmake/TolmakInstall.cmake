# Installs the libraries, the exported headers, a CMake package
# (find_package(tolmak CONFIG) gives tolmak::tolmak; each plug-in library
# below is a component of it) and a pkg-config file for each library.
include(CMakePackageConfigHelpers)

install(TARGETS varnlib tolmak EXPORT tolmakTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/ ${PROJECT_SOURCE_DIR}/varnlib/include/
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")

set(TOLMAK_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/tolmak)
install(EXPORT tolmakTargets NAMESPACE tolmak:: DESTINATION ${TOLMAK_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/tolmakConfig.cmake.in
  ${PROJECT_BINARY_DIR}/tolmakConfig.cmake INSTALL_DESTINATION ${TOLMAK_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/tolmakConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/tolmakConfig.cmake ${PROJECT_BINARY_DIR}/tolmakConfigVersion.cmake
  DESTINATION ${TOLMAK_CMAKE_DIR})

# The prefix is found from the .pc file's own place, so the installed tree
# may be moved.
file(RELATIVE_PATH TOLMAK_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
configure_file(${CMAKE_CURRENT_LIST_DIR}/tolmak.pc.in ${PROJECT_BINARY_DIR}/tolmak.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tolmak.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# A plug-in library whose classes programs use directly: installed beside
# the engine's libraries (where LinkDLL finds it) with its public headers
# beside the engine's, as the package component of that name
# (find_package(tolmak COMPONENTS zunfert) gives tolmak::zunfert) and as
# <component>.pc.
function(tolmak_install_plugin target component headers)
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${component})
  target_include_directories(${target} INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  install(TARGETS ${target} EXPORT tolmak_${component}Targets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY ${headers}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")
  install(EXPORT tolmak_${component}Targets NAMESPACE tolmak:: DESTINATION ${TOLMAK_CMAKE_DIR})
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/tolmak-plugin.pc.in
    ${PROJECT_BINARY_DIR}/${component}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${component}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()

# Driver libraries with public headers add their line here.
tolmak_install_plugin(Zunfert zunfert ${PROJECT_SOURCE_DIR}/plugins/zunfert/include)
if(TARGET ZunfertAL)
  tolmak_install_plugin(ZunfertAL zunfert_al ${PROJECT_SOURCE_DIR}/plugins/openal/include)
endif()
