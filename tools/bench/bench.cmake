# The exchange benchmark's driver: the real windows and main window, headless or in Xvfb.
add_executable(zn_bench tools/bench/PollBench.cpp)
target_link_libraries(zn_bench PRIVATE zn_app)
