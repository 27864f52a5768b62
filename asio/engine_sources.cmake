# The streaming engine's sources, shared by the driver's build and the native build of its
# unit tests.
set(RKX_ASIO_ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/engine_host_buffers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_passes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_pins.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_streaming.cpp
)
