# Installs the libraries, the exported headers, a CMake package
# (find_package(tolmak CONFIG) gives tolmak::tolmak) and tolmak.pc.
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
