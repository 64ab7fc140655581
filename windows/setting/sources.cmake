add_library(zn_setting STATIC
  windows/setting/SettingWindows.cpp
  windows/setting/SetFrm.cpp
)
zn_room(zn_setting windows/setting)
target_link_libraries(zn_setting PUBLIC zn_trend)
list(APPEND ZN_WINDOW_LIBS zn_setting)
