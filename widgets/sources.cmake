# Small widgets and helpers that every window, the monitor and the trend use.
add_library(zn_widgets STATIC
  widgets/Controls.cpp
  widgets/CachedFrameStyle.cpp
  widgets/TextPieces.cpp
  widgets/TextLine.cpp
  widgets/CsvSaveDialog.cpp
  widgets/RecordToggle.cpp
  widgets/RotationChoice.cpp
)
zn_room(zn_widgets widgets)
target_link_libraries(zn_widgets PUBLIC zn_core Qt6::Widgets)
