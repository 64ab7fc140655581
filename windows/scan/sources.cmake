add_library(zn_scan STATIC
  windows/scan/ScanTexts.cpp
  windows/scan/ScanPlan.cpp
  windows/scan/ScanRows.cpp
  windows/scan/BatchSession.cpp
  windows/scan/BatchLog.cpp
  windows/scan/ScanFrm.cpp
  windows/scan/ScanFrmScan.cpp
  windows/scan/ScanFrmBatch.cpp
  windows/scan/ScanWindows.cpp
)
target_link_libraries(zn_scan PUBLIC zn_link)
list(APPEND ZN_WINDOW_LIBS zn_scan)
