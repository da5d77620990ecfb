// The ribbon's settings and its spring-back switch, and the unit of a modulation slot's
// destination. Audio thread (render loop) and user-interface thread (value texts).
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"

int APlugin::getRibbonQuant() const {
    return getSteppedValue(tag::RibbonQuantization);
}

int APlugin::getRibbonSpringTime() const {
    return getSteppedValue(tag::RibbonSpringTime);
}

void APlugin::setRibbonSpringOn() {
    // Step 0 ("Off") stops the spring-back; any other step lets the ribbon return to its rest.
    ribbonSpringActive = getRibbonSpringTime() != 0 ? 1 : 0;
}

int APlugin::getDestTypeForSlot(int slot) const {
    if (!isValidModSlot(slot)) return 0;
    const int dest = getSteppedValue(tag::ModDestFirst + slot);
    return modDestUnit(dest);
}
