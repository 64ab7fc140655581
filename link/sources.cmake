# The line, the protocol and the plain logic that a window and a headless program share. Qt Core
# only; Qt SerialPort lists the devices present, while opening them stays in link/SerialPort.
add_library(zn_link STATIC
  link/SerialPort.cpp
  link/SerialLine.cpp
  link/SerialLineSettings.cpp
  link/NetAddress.cpp
  link/Rfc2217.cpp
  link/ModbusTcpCodec.cpp
  link/NetLine.cpp
  link/Modbus.cpp
  link/FrameDecoder.cpp
  link/TrafficTexts.cpp
  link/TrafficLog.cpp
  link/FrameLengths.cpp
  link/FrameCutter.cpp
  link/ModuleStats.cpp
  link/ListenTexts.cpp
  link/BusListener.cpp
  link/ListenSession.cpp
  link/CsvFile.cpp
  link/RotatingCsv.cpp
  link/TrafficCsv.cpp
  link/Exchange.cpp
  link/PortDiscovery.cpp
  link/PortDiscoverySystem.cpp
  link/PortErrors.cpp
  link/SavedLine.cpp
  link/ParameterCodes.cpp
  link/ModuleParameters.cpp
  link/WrittenNumber.cpp
  link/RegisterValues.cpp
  link/ParameterSearch.cpp
  link/AnalogCodec.cpp
  link/DigitalCodec.cpp
  link/ScanTexts.cpp
  link/ScanPlan.cpp
  link/ScanRows.cpp
  link/ScanReplies.cpp
  link/BusScan.cpp
  link/BatchSession.cpp
  link/BatchLog.cpp
  link/TrendTexts.cpp
  link/TrendRing.cpp
  link/TrendCsv.cpp
)
target_link_libraries(zn_link PUBLIC zn_base Qt6::Core PRIVATE Qt6::SerialPort)
