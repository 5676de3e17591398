// The machine file's "ide" section: the two IDE channels of a simulated board
// and their drives.
#include <cstdio>
#include <string>

#include "hardware/pc_addresses.h"
#include "winio/sim/board_builder.h"
#include "winio/sim/ide_channel_model.h"

namespace zelkora::winio::sim {

namespace {

using platform::machine::Field;

void putTextField(IdeDrive& drive, const Field& entry, std::string_view key, unsigned first,
                  unsigned count) {
    auto field = entry.optional(key);
    if (!field) return;
    const std::string text = field->string();
    if (text.size() > 2 * count) {
        field->fail("is longer than the " + std::to_string(2 * count) +
                    " characters of the identify data");
    }
    drive.putText(first, count, text);
}

std::unique_ptr<IdeDrive> buildDrive(const Field& entry) {
    entry.expectKeys({"type", "identifyHex", "serial", "firmware", "model", "sectors", "words",
                      "rejects", "busyReads", "drdyDelay"});
    const std::string type = entry["type"].string();
    if (type != "ata" && type != "atapi") entry["type"].fail("must be \"ata\" or \"atapi\"");
    auto drive =
        std::make_unique<IdeDrive>(type == "ata" ? IdeDrive::Kind::Ata : IdeDrive::Kind::Atapi);
    auto& words = drive->words();
    if (auto raw = entry.optional("identifyHex")) {
        const auto bytes = raw->hexBlob(512);
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            words[i / 2] = static_cast<uint16_t>(bytes[i] | bytes[i + 1] << 8);
        }
    }
    putTextField(*drive, entry, "serial", 10, 10);
    putTextField(*drive, entry, "firmware", 23, 4);
    putTextField(*drive, entry, "model", 27, 20);
    if (auto sectors = entry.optional("sectors")) {
        const auto count = sectors->number(0xFFFF'FFFF);
        words[60] = static_cast<uint16_t>(count);
        words[61] = static_cast<uint16_t>(count >> 16);
    }
    if (auto overrides = entry.optional("words")) {
        for (const auto& name : overrides->keys()) {
            const auto value = (*overrides)[name];
            unsigned index = 0;
            char tail = 0;
            if (std::sscanf(name.c_str(), "%u%c", &index, &tail) != 1 || index > 255) {
                value.fail("the key must be an identify word number from 0 to 255 in decimal");
            }
            words[index] = static_cast<uint16_t>(value.number(0xFFFF));
        }
    }
    if (auto rejects = entry.optional("rejects")) {
        std::set<uint8_t> commands;
        for (size_t i = 0; i < rejects->size(); ++i) {
            commands.insert(static_cast<uint8_t>(rejects->at(i).number(0xFF)));
        }
        drive->setRejected(std::move(commands));
    }
    drive->busyReads = static_cast<unsigned>(entry.numberOr("busyReads", 0, 1'000'000));
    drive->drdyDelay = static_cast<unsigned>(entry.numberOr("drdyDelay", 0, 1'000'000));
    return drive;
}

}  // namespace

// A channel that is absent, marked floating or has no drive gets no decoder:
// its ports float and read FFh, busy forever, as an empty legacy channel does.
void attachIdeChannels(SimulatedBoard& board, const platform::machine::Field& root) {
    auto ide = root.optional("ide");
    if (!ide) return;
    for (const auto& name : ide->keys()) {
        if (name != "primary" && name != "secondary") {
            (*ide)[name].fail("is not a channel; use \"primary\" or \"secondary\"");
        }
    }
    for (const auto& [name, base] : {std::pair{"primary", hardware::kPrimaryIdeBase},
                                     std::pair{"secondary", hardware::kSecondaryIdeBase}}) {
        auto entry = ide->optional(name);
        if (entry) entry->expectKeys({"master", "slave", "floating"});
        if (!entry || entry->booleanOr("floating", false)) continue;
        auto channel = std::make_unique<IdeChannel>(base);
        bool anyDrive = false;
        for (const auto& [slotName, slot] : {std::pair{"master", 0u}, std::pair{"slave", 1u}}) {
            if (auto drive = entry->optional(slotName)) {
                channel->setDrive(slot, buildDrive(*drive));
                anyDrive = true;
            }
        }
        if (anyDrive) board.attach(std::move(channel));
    }
}

}  // namespace zelkora::winio::sim
