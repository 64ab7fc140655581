add_library(zn_analog STATIC
  windows/analog/AnalogWindows.cpp
  windows/analog/AnalogInputPanel.cpp
  windows/analog/AnalogInputWindow.cpp
  windows/analog/AnalogOutputPanel.cpp
  windows/analog/CalibrationPanel.cpp
  windows/analog/AnalogOutputWindow.cpp
)
zn_room(zn_analog windows/analog)
target_link_libraries(zn_analog PUBLIC zn_trend)
list(APPEND ZN_WINDOW_LIBS zn_analog)
