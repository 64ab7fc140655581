#pragma once
// One module on the bus: its register map and how it answers a request. No I/O here: the bus
// hands it a request body and the time, it gives back the reply.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/protocol/Modbus.h"
#include "sim/LineCode.h"
#include "sim/ModelTable.h"

// Modbus exception codes the module uses.
enum ModbusException : uint8_t {
    kIllegalFunction = 0x01,
    kIllegalAddress = 0x02,
    kIllegalValue = 0x03,
    kDeviceFailure = 0x04,
};

struct ModuleAnswer {
    bool answers = false;  // false: the request was not for this module, or it stays silent
    Frame reply;           // with CRC
};

// How a module treats a write of its address or parameter code (registers 100 and 101).
enum class ParameterWrites {
    Takes,    // as every module should
    Refuses,  // exception 04, nothing changed
    Ignores,  // the echo, but nothing changed
};

class SimModule {
  public:
    SimModule(const ModelInfo& model, int address, int code);

    // Refuses or ignores address and line changes, or takes them only `takeMs` after the write
    // (it answers at the old address and settings until then).
    void SetParameterWrites(ParameterWrites writes, int takeMs);
    // Talks at `line` whatever its parameter code says, until the code is written.
    void SetLine(const ModuleLine& line) { line_ = line; }
    // Takes the changes whose time has come; `wallSeconds` runs even while measurements are
    // frozen.
    void Settle(double wallSeconds);

    // Handles a request body (address, function, data; CRC already checked and removed) at
    // `seconds` since the bus started. Writes take effect at once: an address or line change
    // applies from the next request on.
    ModuleAnswer Handle(const Frame& body, double seconds);

    const ModelInfo& Model() const { return *model_; }
    int Address() const { return address_; }
    int Code() const { return code_; }
    ModuleLine Line() const { return line_; }
    bool Coil(int index) const { return coils_.at(index); }
    bool Input(int index, double seconds) const;
    // A holding register as a read would give it; nothing outside the map.
    std::optional<uint16_t> Register(int number, double seconds) const;

    // The measurements, exposed so that tests and the demo can tell what a window should show.
    static uint16_t Measurement(const ModelInfo& model, int channel, double seconds);
    // The engineering value of a measurement (degrees, mA or V), for the float view.
    static double EngineeringValue(const ModelInfo& model, uint16_t raw);

    static constexpr int kVersion = 102;  // register 103

  private:
    enum class Source { Stored, Measurement, Float, Count16, Count32, Model, Version, Clear };
    struct Region {
        int first;
        int count;
        bool writable;
        Source source;
    };
    const Region* RegionOf(int number) const;
    // 0 when the write is done, else the exception code; nothing is changed on a refusal.
    uint8_t CheckWrite(int number, uint16_t value) const;
    void Write(int number, uint16_t value);
    uint32_t InputEdges(int index, double seconds) const;

    Frame ReadRegisters(const Frame& body, double seconds, uint8_t* error) const;
    Frame ReadBits(const Frame& body, double seconds, uint8_t* error) const;
    Frame WriteSingle(const Frame& body, uint8_t* error);
    Frame WriteMultiple(const Frame& body, uint8_t* error);
    Frame WriteCoils(const Frame& body, uint8_t* error);

    const ModelInfo* model_;
    int address_;
    int code_;
    ModuleLine line_;
    std::vector<Region> regions_;
    std::map<int, uint16_t> stored_;
    std::vector<bool> coils_;
    ParameterWrites writes_ = ParameterWrites::Takes;
    int takeMs_ = 0;
    double wallSeconds_ = 0;
    struct Pending {
        int number;
        uint16_t value;
        double due;  // wall seconds
    };
    std::vector<Pending> pending_;
    void Take(int number, uint16_t value);
};
