#include "app/demo_converters.h"

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "discovery/devices.h"
#include "protocol/id_record.h"
#include "sim/sim_comm.h"
#include "sim/sim_converter.h"

namespace vexilo {
namespace {

struct DemoConverter {
    SimKind kind;
    std::uint8_t series;
    std::uint8_t inputFormat;  // format code of the simulator's table
    std::int16_t fpgaTemp;     // 0.1 degC
    std::int16_t mcuTemp;      // 0.1 degC
    std::uint16_t voltage;     // 0.1 V
    const char* label;
};

// A studio's identification record, so the ID group shows something filled in.
std::array<std::uint8_t, kSimIdStorageSize> DemoIdStorage() {
    IdBlock block = DefaultIdBlock();
    block[kIdOffEnable] = 1;
    block[kIdOffDid] = 0x5A;
    std::strncpy(reinterpret_cast<char*>(&block[kIdOffSerial]), "00001234", kIdSerialMax);
    std::strncpy(reinterpret_cast<char*>(&block[kIdOffModel]), "KTP-RGB-SDI", kIdModelMax);
    std::strncpy(reinterpret_cast<char*>(&block[kIdOffId]), "KTPRGB_00001234", kIdIdMax);
    const char8_t name[] = u8"第1スタジオ";
    std::memcpy(&block[kIdOffName], name, sizeof name - 1);
    std::array<std::uint8_t, kSimIdStorageSize> storage{};
    std::uint16_t length = 0;
    EncodeIdRecord(block, storage, length);
    return storage;
}

}  // namespace

void InstallDemoConverters() {
    static const DemoConverter kDemo[] = {
        {SimKind::Rgb, 1, 7, 452, 381, 50, "demo1"},   // 1280x1024 at 60.02 Hz
        {SimKind::Dvi, 0, 14, 487, 402, 50, "demo2"},  // 1920x1080 at 59.94p
        {SimKind::Ntsc, 1, 0, 436, 375, 49, "demo3"},  // 720x480 at 29.97i
    };
    std::vector<Port> ports;
    for (const DemoConverter& d : kDemo) {
        SimConfig config = SimConfig::For(d.kind);
        config.seriesCode = d.series;
        config.initialInputFormat = d.inputFormat;
        auto model = std::make_shared<CSimConverter>(config);
        model->SetInputFormat(d.inputFormat);
        SimStatus status = model->Status();
        status.fpgaTemp = d.fpgaTemp;
        status.mcuTemp = d.mcuTemp;
        status.voltage = d.voltage;
        model->SetStatus(status);
        if (d.kind == SimKind::Rgb) {
            model->SetIdStorage(DemoIdStorage());
        }
        // The device source keeps the port, and the port the model, for the rest of the process.
        ports.push_back(SimPort(model, d.label));
    }
    SetDeviceSource([ports] { return ports; });
}

}  // namespace vexilo
