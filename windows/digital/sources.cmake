add_library(zn_digital STATIC
  windows/digital/DigitalWindows.cpp
)
target_link_libraries(zn_digital PUBLIC zn_link zn_analog)
list(APPEND ZN_WINDOW_LIBS zn_digital)
