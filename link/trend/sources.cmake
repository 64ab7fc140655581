# Trends and recording of readings: part of the link library, which every window stands on, so
# the analog and digital input panels share one trend without knowing each other.
find_package(Qt6 REQUIRED COMPONENTS Charts)
target_sources(zn_link PRIVATE
  link/trend/TrendTexts.cpp
  link/trend/TrendRing.cpp
  link/trend/TrendCsv.cpp
  link/trend/TrendFeed.cpp
  link/trend/TrendLines.cpp
  link/trend/TrendWindow.cpp
)
target_link_libraries(zn_link PUBLIC Qt6::Charts)
