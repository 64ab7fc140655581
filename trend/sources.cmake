# The trend window of an input panel and its recording controls.
find_package(Qt6 REQUIRED COMPONENTS Charts)
add_library(zn_trend STATIC
  trend/TrendColors.cpp
  trend/TrendFeed.cpp
  trend/TrendLanes.cpp
  trend/TrendLines.cpp
  trend/TrendSpan.cpp
  trend/TrendWindow.cpp
)
zn_room(zn_trend trend)
target_link_libraries(zn_trend PUBLIC zn_workwindow Qt6::Charts)
