# The traffic monitor's window over the traffic log.
add_library(zn_monitor STATIC
  monitor/TrafficModel.cpp
  monitor/TrafficColumns.cpp
  monitor/TrafficDelegate.cpp
  monitor/TrafficTable.cpp
  monitor/TrafficPanel.cpp
  monitor/TrafficMonitor.cpp
  monitor/ListenWindow.cpp
)
zn_room(zn_monitor monitor)
target_link_libraries(zn_monitor PUBLIC zn_core zn_widgets)
