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
target_link_libraries(zn_monitor PUBLIC zn_link zn_widgets)
