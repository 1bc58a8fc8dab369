# GoogleTest for a cross build: the machine's libgtest is built for the
# machine itself, so GoogleTest is compiled here from Debian's sources
# (package googletest) with the target's compiler. It names its targets GTest::gtest and
# GTest::gtest_main, as the installed package does.
set(TOLMAK_GTEST_SOURCE_DIR /usr/src/googletest/googletest CACHE PATH
    "GoogleTest sources used when cross-compiling")
if(NOT EXISTS ${TOLMAK_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${TOLMAK_GTEST_SOURCE_DIR} "
                      "(install the googletest package or set TOLMAK_GTEST_SOURCE_DIR)")
endif()
set(INSTALL_GTEST OFF)
add_subdirectory(${TOLMAK_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
