# Installs the library, its headers, its pkg-config file and its CMake package.
include(CMakePackageConfigHelpers)

install(TARGETS zumbrik_player_shared EXPORT ZumbrikPlayerTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
if(TARGET zumbrik_player_static)
  install(TARGETS zumbrik_player_static ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/include/zumbrik/player.h ${CMAKE_BINARY_DIR}/generated/zumbrik/version.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zumbrik)

# pkg-config: the static library's own needs go under Libs.private. It is
# C++ inside, so a C program linking it statically needs the C++ runtime and
# the maths library; ALSA is opened at run time (dlopen), not linked.
set(ZUMBRIK_PC_PRIVATE_LIBS "-pthread -lstdc++ -lm")
foreach(library IN LISTS CMAKE_DL_LIBS)
  string(APPEND ZUMBRIK_PC_PRIVATE_LIBS " -l${library}")
endforeach()
configure_file(zumbrik-player.pc.in ${CMAKE_CURRENT_BINARY_DIR}/zumbrik-player.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zumbrik-player.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/ZumbrikPlayer)
install(EXPORT ZumbrikPlayerTargets NAMESPACE Zumbrik:: DESTINATION ${config_dir})
configure_package_config_file(ZumbrikPlayerConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/ZumbrikPlayerConfig.cmake INSTALL_DESTINATION ${config_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/ZumbrikPlayerConfigVersion.cmake
  VERSION ${ZUMBRIK_PLAYER_LIBRARY_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ZumbrikPlayerConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/ZumbrikPlayerConfigVersion.cmake DESTINATION ${config_dir})
