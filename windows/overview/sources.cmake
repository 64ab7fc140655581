# The line overview window, thin over core/overview.
add_library(zn_overview_window STATIC
  windows/overview/OverviewTexts.cpp
  windows/overview/OverviewModel.cpp
  windows/overview/OverviewEditors.cpp
  windows/overview/LineOverviewWindow.cpp
  windows/overview/LineOverviewFile.cpp
)
zn_room(zn_overview_window windows/overview)
target_link_libraries(zn_overview_window PUBLIC zn_trend)
list(APPEND ZN_WINDOW_LIBS zn_overview_window)
