add_library(zn_registers STATIC
  windows/registers/RegisterWindows.cpp
)
target_link_libraries(zn_registers PUBLIC zn_link)
list(APPEND ZN_WINDOW_LIBS zn_registers)
