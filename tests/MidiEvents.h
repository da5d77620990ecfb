// A VstEvents block of MIDI messages, as a host builds one for effProcessEvents; each message
// is (deltaFrames, status, data1, data2). Shared by the test host and the unit render rig.
#pragma once

#include "vst2/VstInterface.h"

#include <array>
#include <cstring>
#include <vector>

namespace testmidi {

class EventBlock {
public:
    explicit EventBlock(const std::vector<std::array<int, 4>>& messages)
        : records(messages.size()), block(sizeof(VstEvents) + sizeof(VstEvent*) * messages.size()) {
        auto* events = get();
        events->numEvents = static_cast<VstInt32>(messages.size());
        for (size_t i = 0; i < messages.size(); ++i) {
            VstMidiEvent& e = records[i];
            std::memset(&e, 0, sizeof(e));
            e.type = kVstMidiType;
            e.byteSize = sizeof(VstMidiEvent);
            e.deltaFrames = messages[i][0];
            for (int b = 0; b < 3; ++b) e.midiData[b] = static_cast<char>(messages[i][1 + b]);
            events->events[i] = reinterpret_cast<VstEvent*>(&e);
        }
    }
    VstEvents* get() { return reinterpret_cast<VstEvents*>(block.data()); }

private:
    std::vector<VstMidiEvent> records;
    std::vector<char> block;
};

} // namespace testmidi
