# The work-window framework: communication panel, work window, poll loop, window timers, readouts.
add_library(zn_workwindow STATIC
  workwindow/VbTimer.cpp
  workwindow/CommPanel.cpp
  workwindow/WorkWindow.cpp
  workwindow/PollLoop.cpp
  workwindow/Readout.cpp
)
zn_room(zn_workwindow workwindow)
target_link_libraries(zn_workwindow PUBLIC zn_core zn_widgets zn_monitor)
