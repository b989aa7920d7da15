# The library trimora::trimora: its target, and on systems with an install tree its headers,
# archive or shared library, CMake package and pkg-config file.

add_library(trimora_library
  library/trimora.cpp
  $<TARGET_OBJECTS:trimora_platform>
  $<TARGET_OBJECTS:trimora_textutil>
  $<TARGET_OBJECTS:trimora_engine>
)
add_library(trimora::trimora ALIAS trimora_library)
# libtrimora.a (libtrimora.so), exported as trimora::trimora; the tool keeps the name trimora.
set_target_properties(trimora_library PROPERTIES
  OUTPUT_NAME trimora
  EXPORT_NAME trimora
  VERSION ${PROJECT_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR})
target_include_directories(trimora_library
  PUBLIC $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include> $<INSTALL_INTERFACE:include>
  PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_features(trimora_library PUBLIC cxx_std_20)
target_link_libraries(trimora_library PRIVATE Threads::Threads ZLIB::ZLIB)

if(NOT WIN32)
  include(GNUInstallDirs)
  include(CMakePackageConfigHelpers)
  # Everything of the library is the component dev, which Debian packs as trimora-dev.
  install(TARGETS trimora_library EXPORT trimoraTargets COMPONENT dev
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
          RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES include/trimora/trimora.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/trimora COMPONENT dev)
  set(TRIMORA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/trimora)
  install(EXPORT trimoraTargets NAMESPACE trimora:: FILE trimoraTargets.cmake DESTINATION ${TRIMORA_CMAKE_DIR}
          COMPONENT dev)
  configure_package_config_file(cmake/trimoraConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/trimoraConfig.cmake
                                INSTALL_DESTINATION ${TRIMORA_CMAKE_DIR})
  write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/trimoraConfigVersion.cmake
                                   COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/trimoraConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/trimoraConfigVersion.cmake
          DESTINATION ${TRIMORA_CMAKE_DIR} COMPONENT dev)
  # pkg-config: the static library's own dependencies go in Libs.private.
  # Found from where the file lies, so that any install prefix holds a working file.
  file(RELATIVE_PATH TRIMORA_PC_UP /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
  configure_file(cmake/trimora.pc.in ${CMAKE_CURRENT_BINARY_DIR}/trimora.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/trimora.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
  # The package's own copyright file and changelog, as Debian wants them in each package.
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/trimora-dev COMPONENT dev)
endif()
