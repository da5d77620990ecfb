// The per-voice modulation matrix's lane steps over a lane form L (Four, or Eight where the
// processor has AVX2), the same operations per lane at either width. Included twice by
// engine/modulation/uPluginModVoice.cpp alone, after its lane forms: for four lanes, and in its
// namespace `wide`, compiled for AVX2, for eight; hence no include guard, and nothing included
// here. Audio thread only.

template <class L>
inline typename L::R select(typename L::R mask, typename L::R a, typename L::R b) {
    return L::bitOr(L::bitAnd(mask, a), L::andNot(mask, b));
}
template <class L> inline typename L::R negate(typename L::R x) {
    return L::bitXor(x, L::set1(-0.0f));
}
// x < 0 ? -x : x
template <class L> inline typename L::R magnitude(typename L::R x) {
    return select<L>(L::lt(x, L::zero()), negate<L>(x), x);
}
template <class L> inline typename L::R volumeFactor(typename L::R x, typename L::R amount) {
    using R = typename L::R;
    const R one = L::set1(1.0f);
    const R raised = L::sub(L::add(L::mul(x, amount), one), amount);
    const R a = magnitude<L>(amount);
    const R lowered = L::sub(L::add(L::mul(L::sub(one, magnitude<L>(x)), a), one), a);
    return select<L>(L::gt(amount, L::set1(1e-6f)), raised, lowered);
}
template <class L> inline typename L::R pitchOctaves(typename L::R c) {
    using R = typename L::R;
    R held = L::mul(c, L::set1(3600.0f));
    held = L::bitAnd(held, L::eq(held, held)); // NaN counts as 0
    held = L::max(L::min(held, L::set1(1.0e9f)), L::set1(-1.0e9f));
    const R cents = L::truncate(held);
    return L::div(L::mul(cents, L::set1(0.01f)), L::set1(12.0f));
}

// The offset and range of a slot at the lanes' amounts, before the window.
template <class L>
inline void slotOffsetRange(const APlugin::VoiceModSlot& slot, typename L::R amount,
                            typename L::R& offset, typename L::R& range) {
    offset = slot.symmetric ? negate<L>(amount) : L::set1(slot.offset);
    range = L::sub(amount, offset);
    if (slot.centerNote) {
        range = L::mul(L::set1(2.0f), amount);
        offset = negate<L>(amount);
    } else if (!(slot.upper > slot.lower)) {
        offset = range = L::zero();
    }
}

// The matrix for one group of voices side by side, lane k for voices[first + k]; a short
// group repeats its last voice, whose repeated lanes read and write the same values as the
// lane they copy. The group's folds are the ones of its runs of four voices.
template <class L, bool chained>
inline void evaluateGroup(APlugin& e, const int* voices, int count, int first, bool folding) {
    using R = typename L::R;
    constexpr int kLanes = L::kLanes;
    const int slotCount = e.modSlotCount;
    const APlugin::VoiceModSlot* slots = e.voiceModSlots;
    const APlugin::VoiceModSlotLanes* forms = e.voiceModSlotLanes;
    // Every row is 512 floats in both tables: a voice's destination row lies at a fixed
    // distance from its source row, so one pointer per lane reaches both.
    static_assert(sizeof(e.voiceSource[0]) == sizeof(e.voiceDest[0]), "rows of one size");
    const std::ptrdiff_t toDest =
        reinterpret_cast<const char*>(e.voiceDest) - reinterpret_cast<const char*>(e.voiceSource);
    int lanes[kLanes];
    const char* source[kLanes];
    for (int k = 0; k < kLanes; ++k) {
        lanes[k] = voices[first + k < count ? first + k : count - 1];
        source[k] = reinterpret_cast<const char*>(e.voiceSource[lanes[k]]);
    }
    auto rowOf = [&](int k) {
        return reinterpret_cast<float*>(const_cast<char*>(source[k]) + toDest);
    };
    // A slot's term stands while its source values do, for the same voices and slot forms.
    APlugin::VoiceModFold& fold = e.voiceModFolds[first >> 2];
    APlugin::VoiceModFold& last = e.voiceModFolds[(first >> 2) + kLanes / 4 - 1];
    bool foldValid = false;
    if (folding) {
        foldValid = true;
        for (int h = 0; h < kLanes / 4; ++h) {
            APlugin::VoiceModFold& f = e.voiceModFolds[(first >> 2) + h];
            foldValid = foldValid && f.serial == e.voiceModSlotSerial &&
                        std::memcmp(f.voices, lanes + 4 * h, 4 * sizeof(int)) == 0;
            std::memcpy(f.voices, lanes + 4 * h, 4 * sizeof(int));
            f.serial = e.voiceModSlotSerial;
        }
    }
    // The slot-amount chain (filled only with chains).
    R chain[16];
    if (chained)
        for (int i = 0; i < slotCount; ++i) {
            const int d = dest::SlotAmountFirst + slots[i].slot;
            alignas(32) float amounts[kLanes];
            for (int k = 0; k < kLanes; ++k) amounts[k] = modslot::chainedAmount(rowOf(k)[d]);
            chain[i] = L::load(amounts);
        }
    // Each destination starts from its default at its first slot and is written back after
    // its last; the slots between carry it in a register.
    R carried[16];
    for (int i = 0; i < slotCount; ++i) {
        const APlugin::VoiceModSlot& slot = slots[i];
        const APlugin::VoiceModSlotLanes& form = forms[i];
        const R x = L::gather(source, static_cast<std::ptrdiff_t>(slot.source) * 4);
        R term;
        if (foldValid && form.folds && L::sameBits(x, fold.x[i], last.x[i])) {
            termFolded();
            term = L::loadRuns(fold.term[i], last.term[i]);
        } else {
            R amount, offset, range;
            if (chained) {
                amount = L::add(L::set1(slot.amount), chain[i]);
                slotOffsetRange<L>(slot, amount, offset, range);
            } else {
                amount = L::uniform(form.amount);
                offset = L::uniform(form.offset);
                range = L::uniform(form.range);
            }
            R mapped = x;
            if (form.map == kMapEmpty) {
                mapped = L::zero();
            } else if (form.map != kMapCenter) {
                const R lower = L::uniform(form.lower);
                const R below = L::lt(x, lower);
                offset = L::andNot(below, offset);
                range = L::andNot(below, range);
                R m = L::mul(L::sub(x, lower), L::uniform(form.scale));
                if (form.map == kMapClamped) {
                    m = select<L>(L::gt(m, L::set1(1.0f)), L::set1(1.0f), m);
                    m = select<L>(L::lt(m, L::zero()), L::zero(), m);
                }
                mapped = select<L>(below, x, m);
            }
            switch (slot.kind) {
            case modslot::kMultiply:
                term = volumeFactor<L>(mapped, amount);
                break;
            case modslot::kPitch:
                term = pitchOctaves<L>(L::add(L::mul(mapped, range), offset));
                break;
            default:
                term = L::add(L::mul(mapped, range), offset);
                break;
            }
            if (folding && form.folds) {
                L::storeRuns(fold.x[i], last.x[i], x);
                L::storeRuns(fold.term[i], last.term[i], term);
            }
        }
        const int d = slot.dest;
        const R out = slot.group == i ? L::set1(e.voiceDestDefault[d]) : carried[slot.group];
        const R result = slot.kind == modslot::kMultiply ? L::mul(out, term) : L::add(out, term);
        carried[slot.group] = result;
        if (!slot.lastOnDest) continue;
        alignas(32) float values[kLanes];
        L::store(values, result);
        for (int k = 0; k < kLanes; ++k) rowOf(k)[d] = values[k];
    }
}

// Whether slots chain holds for the whole pass: each form of the slot loop leaves the other's
// tests out.
template <class L>
inline void evaluateGroup(APlugin& e, const int* voices, int count, int first, bool folding,
                          bool chained) {
    if (chained)
        evaluateGroup<L, true>(e, voices, count, first, folding);
    else
        evaluateGroup<L, false>(e, voices, count, first, folding);
}
