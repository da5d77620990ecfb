// The XY pads' record and replay state. Read on the audio thread and by the preset application.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"

int APlugin::getXYRecordMode(int pad) const {
    if (pad < 0 || pad > 1) return 0;
    return getSteppedValue(tag::Xy1RecordMode + pad * tag::XyPadStride);
}
