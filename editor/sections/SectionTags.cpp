// The 46 section lists, in list order: the one place where the sections' tags are written
// down. Built once by the editor object's constructor; read on the user-interface thread.
#include "editor/sections/SectionModel.h"

#include "engine/params/ParamTags.h"

#include <initializer_list>

namespace {

constexpr int F = tag::Dummy; // stands in where the sibling list has a tag this side lacks

// The oscillators' main lists; slot by slot, oscillator 1 and oscillator 2 are siblings.
constexpr int kOscMainCount = 41;
constexpr int OSC_MAIN_TAGS[2][kOscMainCount] = {
    {259, 264, 12,  263, 14,  15,  16,  17,  13,  18,  20,  19,  21, 22,
     265, 266, 267, 23,  24,  25,  26,  27,  268, 269, 28,  29,  30, 31,
     32,  270, 271, 33,  272, 273, 274, 275, 260, F,   261, 262, F},
    {276, F,   34,  280, 36,  37,  38,  39,  35,  41,  43,  42,  44, 45,
     285, 283, 284, 46,  47,  48,  49,  50,  287, 286, 51,  52,  53, 54,
     55,  289, 288, 56,  290, 291, 292, 293, 277, 281, 278, 279, 282}};

// The oscillators' ZEK / XY lists after the 64 path points (X of points 0..31, then Y).
constexpr int kXYPointCount = 64;
constexpr int kXYRestCount = 15;
constexpr int XY_POINT_START[2] = {794, 858};
constexpr int OSC_XY_REST_TAGS[2][kXYRestCount] = {
    {778, 779, 780, 781, 782, 784, 785, F, F, 783, 33, 272, 273, 274, 275},
    {786, 787, 788, 789, 790, 792, 793, F, F, 791, 56, 290, 291, 292, 293}};
// Slots 0..73 of the ZEK / XY list: the points, the pad's settings and its edit switch.
constexpr int kXYSlotsWithoutZek = 74;

class Builder {
public:
    explicit Builder(SectionModel& m, void (SectionModel::*add)(int, int)) : m(m), add(add) {}
    void tags(int s, std::initializer_list<int> list) {
        for (int t : list) (m.*add)(s, t);
    }
    void range(int s, int first, int last) {
        for (int t = first; t <= last; ++t) (m.*add)(s, t);
    }
    void same(int s, int from, int count = -1) {
        const int n = count < 0 ? m.getTagCount(from) : count;
        for (int i = 0; i < n; ++i) (m.*add)(s, m.getTag(from, i));
    }
    void oscMain(int s, int osc, bool withFillers) {
        for (int t : OSC_MAIN_TAGS[osc])
            if (withFillers || t != F) (m.*add)(s, t);
    }
    void oscXY(int s, int osc, int slots) {
        for (int i = 0; i < slots; ++i)
            (m.*add)(s, i < kXYPointCount ? XY_POINT_START[osc] + i
                                          : OSC_XY_REST_TAGS[osc][i - kXYPointCount]);
    }

private:
    SectionModel& m;
    void (SectionModel::*add)(int, int);
};

} // namespace

void SectionModel::setSectionTags() {
    for (int& n : sectionTagCount) n = 0;
    for (int16_t& t : sectionTags) t = 0;
    entryCount = 0;
    droppedEntries = 0;
    Builder b(*this, &SectionModel::append);
    constexpr int kXYAll = kXYPointCount + kXYRestCount;

    b.oscMain(0, 0, false);
    b.oscMain(0, 1, false);
    b.range(0, 794, 921);
    for (int osc = 0; osc < 2; ++osc) {
        const int s = section::OSC_SECTIONS[osc];
        b.oscMain(s, osc, true);
        b.oscXY(s, osc, kXYSlotsWithoutZek);
        const int e = section::OSC_ENV_SECTIONS[osc];
        for (int slot = 17; slot <= 30; ++slot) b.tags(e, {OSC_MAIN_TAGS[osc][slot]});
        b.oscXY(section::OSC_XY_SECTIONS[osc], osc, kXYAll);
    }
    b.tags(7, {57, 58, 59, 297, 298, 299, 296, 66,  295, 294, 60,
               61, 62, 63, 64,  65,  302, 303, 304, 67,  305});
    b.same(8, 7, 16);
    b.range(9, 61, 65);
    b.tags(10, {302, 303, 304, 67, 305});
    b.tags(11, {1, 2, 4, 3, 5, 6, 7, 8, 9});
    b.range(12, 6, 9);
    b.tags(13, {363, 364, 365, 123, 366, 367, 368, 3, 5, 66});
    b.tags(14, {3, 5, 66});
    b.tags(15, {367, 368});
    b.tags(16, {248, 249, 10, 11, 251, 250, 246, 247});
    b.range(17, 306, 331);
    b.range(18, 306, 318);
    b.range(19, 319, 331);
    b.tags(20, {335, 81, 82, 80});
    b.tags(21, {333, 334});
    b.range(21, 72, 79);
    b.tags(22, {332, 69, 70, 71, 68});
    b.tags(23, {258});
    b.tags(24, {338, 339});
    b.range(24, 85, 92);
    b.range(25, 93, 97);
    b.tags(25, {342, 340, 341});
    b.tags(26, {343});
    b.range(26, 98, 102);
    b.tags(26, {345, 103, 104, 344});
    b.tags(27, {346});
    b.range(27, 105, 112);
    b.range(28, 348, 356);
    b.tags(29, {336});
    b.tags(31, {359});
    b.range(31, 113, 117);
    b.tags(31, {357, 358});
    b.tags(32, {362});
    b.range(32, 118, 122);
    b.tags(32, {360, 361});
    b.same(30, 31);
    b.same(30, 32);
    b.tags(34, {124, 369, 370, 371});
    b.tags(35, {125, 372, 373, 374});
    b.same(33, 34);
    b.same(33, 35);
    b.range(36, 778, 921);
    b.tags(37, {272, 273});
    b.range(37, 778, 785);
    b.range(37, 794, 857);
    b.tags(38, {290, 291});
    b.range(38, 786, 793);
    b.range(38, 858, 921);
    b.range(39, 379, 490);
    b.range(40, 492, 777);
    b.range(41, 505, 640);
    b.range(42, 642, 777);
    b.range(43, 1005, 1013);
    b.range(43, 1024, 2047);
    b.tags(44, {1010, 1012});
    b.range(44, 1024, 1535);
    b.tags(45, {1011, 1013});
    b.range(45, 1536, 2047);
}
