add_library(zn_registers STATIC
  windows/registers/RegisterWindows.cpp
  windows/registers/RegisterGroups.cpp
  windows/registers/RegisterView.cpp
  windows/registers/TypedFrame.cpp
  windows/registers/SysFrm.cpp
)
zn_room(zn_registers windows/registers)
target_link_libraries(zn_registers PUBLIC zn_trend)
list(APPEND ZN_WINDOW_LIBS zn_registers)
