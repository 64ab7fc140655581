# Ground floor: what everyone reads. Qt Core only.
add_library(zn_base STATIC
  base/TextTable.cpp
  base/SettingsFiles.cpp
  base/Switches.cpp
  base/Platform.cpp
  base/SettingsHome.cpp
)
zn_room(zn_base base)
target_link_libraries(zn_base PUBLIC Qt6::Core)
