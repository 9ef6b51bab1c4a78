# Versioned shared libraries and the rules that install the library, the
# tool and the default configuration, with a pkg-config file and a CMake
# package (find_package(KHAPI) gives the target KHAPI::khapi).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set_target_properties(KHAPI1_1 HAPI_kiln DebugWin11 PROPERTIES
  VERSION ${PROJECT_VERSION}.0 SOVERSION ${PROJECT_VERSION_MAJOR}
  INSTALL_RPATH "$ORIGIN")
set_target_properties(KHAPI1_1 PROPERTIES EXPORT_NAME khapi)
target_include_directories(KHAPI1_1 INTERFACE
  $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/include> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
file(RELATIVE_PATH KHAPI_BIN_TO_LIB ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(khapi PROPERTIES INSTALL_RPATH "$ORIGIN/${KHAPI_BIN_TO_LIB}")

install(TARGETS KHAPI1_1 EXPORT KHAPITargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# The engine is linked by the library; the debug window is loaded by name.
install(TARGETS HAPI_kiln DebugWin11 LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS khapi RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/include/khapi.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# The default configuration names its system dictionary by full path, so
# it is written at install time, when the prefix is final.  The user's
# folders are kept in bracket arguments, which the install script takes
# as they are.
set(KHAPI_SHARE ${CMAKE_INSTALL_DATADIR}/khapi)
install(FILES ${CMAKE_BINARY_DIR}/data/sysdict.dic DESTINATION ${KHAPI_SHARE})
install(CODE "
  set(KHAPI_MDEF \"${KHAPI_MODEL_DIR}/mdef\")
  set(KHAPI_SYSDICT \"\${CMAKE_INSTALL_PREFIX}/${KHAPI_SHARE}/sysdict.dic\")
  set(KHAPI_USER_DATA [==[${KHAPI_USER_DATA}]==])
  set(KHAPI_USER_STATE [==[${KHAPI_USER_STATE}]==])
  set(conf \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${KHAPI_SHARE}/khapi.conf\")
  message(STATUS \"Installing: \${conf}\")
  configure_file(\"${CMAKE_SOURCE_DIR}/data/khapi.conf.in\" \"\${conf}\" @ONLY)")
install(FILES ${CMAKE_SOURCE_DIR}/docs/khapi-report.schema.json DESTINATION ${KHAPI_SHARE})

file(RELATIVE_PATH KHAPI_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" KHAPI_PC_TO_PREFIX "${KHAPI_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/khapi.pc.in ${CMAKE_BINARY_DIR}/khapi.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/khapi.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

set(KHAPI_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/KHAPI)
install(EXPORT KHAPITargets NAMESPACE KHAPI:: DESTINATION ${KHAPI_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/KHAPIConfig.cmake.in
  ${CMAKE_BINARY_DIR}/KHAPIConfig.cmake INSTALL_DESTINATION ${KHAPI_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/KHAPIConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/KHAPIConfig.cmake ${CMAKE_BINARY_DIR}/KHAPIConfigVersion.cmake
  DESTINATION ${KHAPI_CMAKE_DIR})
