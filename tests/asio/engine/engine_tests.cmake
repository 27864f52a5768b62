# The streaming engine's unit tests, shared by the cross builds and the native build.
set(RKX_ASIO_ENGINE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/scripted_device.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_pass_order_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_completion_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_reset_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_start_test.cpp
)
