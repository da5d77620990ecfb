// The processing paths: decoding, the move and drag operations on the default orders, the
// reverse order handed to the render loop.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/PathPermutations.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {
std::vector<int> order(APlugin& e, int path) {
    std::vector<int> units;
    for (int p = 0; p <= PATH_LAST[path]; ++p) units.push_back(e.getPathEntry(p, path));
    return units;
}
} // namespace

TEST(FxPaths, MovesAndDragsOnTheDefaultOrders) {
    auto e = std::make_unique<APlugin>(nullptr);
    e->setParameter(tag::OscPath, 0.0f);
    e->setParameter(tag::FxPath, 0.0f);
    EXPECT_EQ(order(*e, 0), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(order(*e, 1), (std::vector<int>{0, 1, 2, 3, 4}));

    // Moving the first FX unit up exchanges it with the last.
    EXPECT_EQ(e->changePathDelta(0, 1, 1), 4);
    EXPECT_EQ(order(*e, 1), (std::vector<int>{4, 1, 2, 3, 0}));
    const int k = pathStepForValue(1, e->getParameter(tag::FxPath));
    EXPECT_EQ(pathPermutations()[1][k], 41230);
    EXPECT_FLOAT_EQ(e->getParameter(tag::FxPath), (float(k) + 0.1f) / 119.0f);
    EXPECT_EQ(e->changePathDelta(4, 2, 1), 0); // down from the last exchanges back
    EXPECT_EQ(order(*e, 1), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(e->changePathDelta(2, 2, 1), 3);
    EXPECT_EQ(order(*e, 1), (std::vector<int>{0, 1, 3, 2, 4}));
    const float before = e->getParameter(tag::FxPath);
    EXPECT_EQ(e->changePathDelta(3, -1, 1), 3); // nothing
    EXPECT_EQ(e->getParameter(tag::FxPath), before);

    e->swapPath(0, 3, 0);
    EXPECT_EQ(order(*e, 0), (std::vector<int>{1, 2, 3, 0, 4, 5}));
    e->setParameter(tag::OscPath, 0.0f);
    e->swapPath(3, 0, 0);
    EXPECT_EQ(order(*e, 0), (std::vector<int>{3, 0, 1, 2, 4, 5}));
    const float osc = e->getParameter(tag::OscPath);
    e->swapPath(2, 2, 0);
    e->swapPath(6, 0, 0);
    e->swapPath(0, 6, 0);
    e->swapPath(0, 1, 2);
    EXPECT_EQ(e->getParameter(tag::OscPath), osc);
    EXPECT_EQ(e->getPathEntry(6, 0), -1);
    EXPECT_EQ(e->getPathEntry(0, 2), -1);

    // Value 1.0 reverses both orders; the slow update hands them to the render loop.
    e->setParameter(tag::OscPath, 1.0f);
    e->setParameter(tag::FxPath, 1.0f);
    e->setFXRare();
    for (int p = 0; p < 6; ++p) EXPECT_EQ(e->getPathUnit(0, p), 5 - p);
    for (int p = 0; p < 5; ++p) EXPECT_EQ(e->getPathUnit(1, p), 4 - p);
}
