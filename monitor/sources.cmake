# The traffic monitor's window over the traffic log.
add_library(zn_monitor STATIC
  monitor/TrafficModel.cpp
  monitor/TrafficColumns.cpp
  monitor/TrafficDelegate.cpp
  monitor/TrafficTable.cpp
  monitor/TrafficMonitor.cpp
)
target_link_libraries(zn_monitor PUBLIC zn_link zn_widgets)
