add_library(zn_analog STATIC
  windows/analog/AnalogWindows.cpp
)
target_link_libraries(zn_analog PUBLIC zn_link)
list(APPEND ZN_WINDOW_LIBS zn_analog)
