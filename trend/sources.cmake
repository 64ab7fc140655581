# The trend window of an input panel and its recording controls. Linux always has Qt Charts; a
# Windows Qt built where its source could not be had lacks it, and that build records readings
# but draws no chart.
if(WIN32)
  find_package(Qt6 QUIET COMPONENTS Charts)
else()
  find_package(Qt6 REQUIRED COMPONENTS Charts)
endif()
if(Qt6Charts_FOUND)
  set(ZN_TREND_CHART
    trend/TrendFeedChart.cpp
    trend/TrendLines.cpp
    trend/TrendWindow.cpp
  )
else()
  message(WARNING "Qt Charts is missing: this build's Trend buttons say there is no chart")
  set(ZN_TREND_CHART trend/TrendFeedNoChart.cpp)
endif()
add_library(zn_trend STATIC
  trend/TrendColors.cpp
  trend/TrendFeed.cpp
  trend/TrendLanes.cpp
  trend/TrendSpan.cpp
  ${ZN_TREND_CHART}
)
zn_room(zn_trend trend)
target_link_libraries(zn_trend PUBLIC zn_workwindow)
if(Qt6Charts_FOUND)
  target_link_libraries(zn_trend PUBLIC Qt6::Charts)
endif()
