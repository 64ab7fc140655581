# The core: Qt Core only (and Qt SerialPort to list devices), in rooms. Each room is a library
# whose headers only the libraries linking it can find (zn_room), so an include upwards or
# sideways does not compile, and a headless program links the rooms it needs and nothing that
# draws. From the ground up:
#   protocol  RTU frames, CRC, the judge, frame lengths, the decoder, Modbus TCP's framing
#   record    CSV files, their rotation, the trend ring and its CSV
#   line      line objects and their backends (serial, raw TCP, RFC 2217, Modbus TCP), the
#             process's port, discovery and port errors
#   traffic   the traffic log: its rows, texts and CSV
#   modules   register maps, codecs, parameter codes, what a poll reads of each model
#   exchange  a request and its judged reply on a line, noted in a traffic log
#   scan      the settings search, the bus scan and batch commissioning
#   listen    listen-only: the frame cutter, pairing and judging, the tally, the session
#   overview  the line overview's logic: line files, alarms, a bus scan's lines
#   publish   what a watcher knows, kept on an MQTT broker

add_library(zn_protocol STATIC
  core/protocol/Modbus.cpp
  core/protocol/FrameDecoder.cpp
  core/protocol/FrameLengths.cpp
  core/protocol/ModbusTcpCodec.cpp
)
zn_room(zn_protocol core/protocol)
target_link_libraries(zn_protocol PUBLIC Qt6::Core)

add_library(zn_record STATIC
  core/record/CsvFile.cpp
  core/record/RotatingCsv.cpp
  core/record/TrendTexts.cpp
  core/record/TrendRing.cpp
  core/record/TrendCsv.cpp
)
zn_room(zn_record core/record)
target_link_libraries(zn_record PUBLIC zn_base Qt6::Core)

# The line's system side, chosen here alone: the serial backend, sockets, port names and errors.
if(WIN32)
  set(ZN_LINE_SYSTEM
    core/line/WinSerialLine.cpp
    core/line/NetSocketWin.cpp
    core/line/PortNamesWin.cpp
    core/line/PortErrorsWin.cpp
    core/line/PortDiscoveryWin.cpp
  )
else()
  set(ZN_LINE_SYSTEM
    core/line/SerialLine.cpp
    core/line/SerialLineSettingsLinux.cpp
    core/line/PollWaits.cpp
    core/line/NetSocketPosix.cpp
    core/line/PortNamesPosix.cpp
    core/line/PortErrorsPosix.cpp
    core/line/PortDiscoveryPosix.cpp
  )
endif()
add_library(zn_line STATIC
  core/line/Line.cpp
  core/line/HeldLines.cpp
  core/line/PortNames.cpp
  core/line/SerialPort.cpp
  core/line/SerialBackend.cpp
  core/line/SerialLineSettings.cpp
  core/line/NetAddress.cpp
  core/line/NetSocket.cpp
  core/line/Rfc2217.cpp
  core/line/NetLine.cpp
  core/line/LineTexts.cpp
  core/line/PortDiscovery.cpp
  core/line/PortDiscoverySystem.cpp
  core/line/PortErrors.cpp
  core/line/SavedLine.cpp
  ${ZN_LINE_SYSTEM}
)
zn_room(zn_line core/line)
target_link_libraries(zn_line PUBLIC zn_protocol zn_base Qt6::Core)
# Ports are listed by Qt SerialPort on POSIX, by the device manager (SetupAPI) on Windows.
if(WIN32)
  target_link_libraries(zn_line PRIVATE ws2_32 setupapi)
else()
  target_link_libraries(zn_line PRIVATE Qt6::SerialPort)
endif()

add_library(zn_traffic STATIC
  core/traffic/TrafficTexts.cpp
  core/traffic/TrafficLog.cpp
  core/traffic/TrafficCsv.cpp
)
zn_room(zn_traffic core/traffic)
target_link_libraries(zn_traffic PUBLIC zn_record zn_protocol zn_base Qt6::Core)

add_library(zn_modules STATIC
  core/modules/ParameterCodes.cpp
  core/modules/ModuleParameters.cpp
  core/modules/WrittenNumber.cpp
  core/modules/RegisterValues.cpp
  core/modules/AnalogCodec.cpp
  core/modules/DigitalCodec.cpp
  core/modules/PollPlan.cpp
)
zn_room(zn_modules core/modules)
target_link_libraries(zn_modules PUBLIC zn_record zn_protocol zn_base Qt6::Core)

add_library(zn_exchange STATIC
  core/exchange/Exchange.cpp
)
zn_room(zn_exchange core/exchange)
target_link_libraries(zn_exchange PUBLIC zn_line zn_traffic zn_protocol Qt6::Core)

add_library(zn_scan STATIC
  core/scan/ParameterSearch.cpp
  core/scan/ScanTexts.cpp
  core/scan/ScanPlan.cpp
  core/scan/ScanRows.cpp
  core/scan/ScanReplies.cpp
  core/scan/BusScan.cpp
  core/scan/BatchSession.cpp
  core/scan/BatchLog.cpp
)
zn_room(zn_scan core/scan)
target_link_libraries(zn_scan PUBLIC zn_exchange zn_modules zn_record zn_base Qt6::Core)

add_library(zn_listen STATIC
  core/listen/FrameCutter.cpp
  core/listen/ModuleStats.cpp
  core/listen/ListenTexts.cpp
  core/listen/BusListener.cpp
  core/listen/ListenSession.cpp
)
zn_room(zn_listen core/listen)
target_link_libraries(zn_listen PUBLIC zn_line zn_traffic zn_modules zn_base Qt6::Core)


# The line overview's logic: line files, alarms, the poll order of a line and each module's poll.
add_library(zn_overview STATIC
  core/overview/LineFile.cpp
  core/overview/AlarmRule.cpp
  core/overview/PollScheduler.cpp
  core/overview/ModulePoller.cpp
  core/overview/PollTally.cpp
  core/overview/LineWorker.cpp
  core/overview/OverviewRun.cpp
  core/overview/OverviewRows.cpp
  core/overview/AlarmTracker.cpp
  core/overview/OverviewBoard.cpp
  core/overview/ScanLines.cpp
)
zn_room(zn_overview core/overview)
target_link_libraries(zn_overview PUBLIC zn_scan zn_exchange zn_modules zn_line zn_record zn_base
  Qt6::Core)


# Publishing what a watcher knows to an MQTT broker; a build without libmosquitto says it
# cannot.
set(ZN_PUBLISH_SOURCES
  core/publish/Broker.h
  core/publish/PublishTexts.cpp
  core/publish/BrokerSettings.cpp
  core/publish/PublishTopics.cpp
  core/publish/WatchPublisher.cpp
  core/publish/PublishChoiceFile.cpp
)
if(ZN_HAVE_MOSQUITTO)
  list(APPEND ZN_PUBLISH_SOURCES
    core/publish/MosquittoSession.cpp
    core/publish/MosquittoBroker.cpp
    core/publish/MosquittoFactory.cpp
  )
else()
  list(APPEND ZN_PUBLISH_SOURCES core/publish/NoBroker.cpp)
endif()
add_library(zn_publish STATIC ${ZN_PUBLISH_SOURCES})
zn_room(zn_publish core/publish)
target_link_libraries(zn_publish PUBLIC zn_overview zn_modules zn_base Qt6::Core)
if(ZN_HAVE_MOSQUITTO)
  target_link_libraries(zn_publish PRIVATE PkgConfig::MOSQUITTO)
endif()

# Everything headless, for the floors above that use the core as a whole.
add_library(zn_core INTERFACE)
target_link_libraries(zn_core INTERFACE zn_publish zn_overview zn_listen zn_scan zn_exchange
  zn_modules zn_traffic zn_line zn_record zn_protocol zn_base)
