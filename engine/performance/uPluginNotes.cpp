// Least form of the note road's pitch-bend reader until the note road lands: no bend.
#include "engine/APlugin.h"

float APlugin::getPitchBendValue(int, float) const {
    return 0.0f;
}
