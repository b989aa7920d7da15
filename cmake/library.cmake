# The library trimora::trimora: its target.

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
