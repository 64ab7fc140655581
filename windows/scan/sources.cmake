add_library(zn_scan_window STATIC
  windows/scan/ScanFrm.cpp
  windows/scan/ScanFrmScan.cpp
  windows/scan/ScanFrmBatch.cpp
  windows/scan/ScanWindows.cpp
)
zn_room(zn_scan_window windows/scan)
target_link_libraries(zn_scan_window PUBLIC zn_trend)
list(APPEND ZN_WINDOW_LIBS zn_scan_window)
