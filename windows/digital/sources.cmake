add_library(zn_digital STATIC
  windows/digital/DigitalWindows.cpp
  windows/digital/IndicatorLabel.cpp
  windows/digital/IndicatorGrid.cpp
  windows/digital/DigitalInputPanel.cpp
  windows/digital/DigitalOutputPanel.cpp
  windows/digital/DigitalIoWindows.cpp
  windows/digital/CombinationWindows.cpp
)
zn_room(zn_digital windows/digital)
target_link_libraries(zn_digital PUBLIC zn_trend zn_analog)
list(APPEND ZN_WINDOW_LIBS zn_digital)
