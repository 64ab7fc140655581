# The benchmark drivers: the real windows and main window, headless or in Xvfb.
add_executable(zn_bench
  tools/bench/PollBench.cpp
  tools/bench/FloorBench.cpp
  tools/bench/BenchWindow.cpp
  tools/bench/PaintCensus.cpp
)
target_link_libraries(zn_bench PRIVATE zn_app)

add_executable(zn_soak
  tools/bench/SoakBench.cpp
  tools/bench/BenchWindow.cpp
  tools/bench/SimLogReader.cpp
)
target_link_libraries(zn_soak PRIVATE zn_app)

add_executable(zn_traffic_bench tools/bench/TrafficBench.cpp tools/bench/BenchWindow.cpp
  tools/bench/PaintCensus.cpp)
target_link_libraries(zn_traffic_bench PRIVATE zn_app)

# The trend benchmark plays the simulator's measurements itself for its simulated hour.
add_executable(zn_trend_bench tools/bench/TrendBench.cpp tools/bench/BenchWindow.cpp)
target_link_libraries(zn_trend_bench PRIVATE zn_app zn_sim)

# The scan benchmark drives the Bus Scan window and a naive scan at the parameter window's pace.
add_executable(zn_scan_bench tools/bench/ScanBench.cpp tools/bench/BenchWindow.cpp)
target_link_libraries(zn_scan_bench PRIVATE zn_app)

# The listen-only benchmark: a saturated bus at 115200 baud heard through a pseudo-terminal.
add_executable(zn_listen_bench tools/bench/ListenBench.cpp)
target_link_libraries(zn_listen_bench PRIVATE zn_core)

# The overview benchmark: the window's redraws of a full line fed without a bus, and the window
# polling many lines for the overview script.
add_executable(zn_overview_bench tools/bench/OverviewBench.cpp tools/bench/BenchWindow.cpp)
target_link_libraries(zn_overview_bench PRIVATE zn_app)

# The drivers name their own helpers and the tests' from the top of the tree.
foreach(bench zn_bench zn_soak zn_traffic_bench zn_trend_bench zn_scan_bench zn_listen_bench
        zn_overview_bench)
  target_include_directories(${bench} PRIVATE ${CMAKE_SOURCE_DIR})
endforeach()
