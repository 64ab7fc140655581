add_library(zn_scan STATIC
  windows/scan/ScanFrm.cpp
  windows/scan/ScanFrmScan.cpp
  windows/scan/ScanFrmBatch.cpp
  windows/scan/ScanWindows.cpp
)
target_link_libraries(zn_scan PUBLIC zn_trend)
list(APPEND ZN_WINDOW_LIBS zn_scan)
