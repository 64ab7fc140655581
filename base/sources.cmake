# Ground floor: what everyone reads. Qt Core only.
# Replacing a file whole, on this system's calls.
if(WIN32)
  set(ZN_BASE_SYSTEM base/FileReplaceWin.cpp)
else()
  set(ZN_BASE_SYSTEM base/FileReplacePosix.cpp)
endif()
add_library(zn_base STATIC
  base/TextTable.cpp
  base/SettingsFiles.cpp
  base/Switches.cpp
  base/Platform.cpp
  base/SettingsHome.cpp
  ${ZN_BASE_SYSTEM}
)
zn_room(zn_base base)
target_link_libraries(zn_base PUBLIC Qt6::Core)
