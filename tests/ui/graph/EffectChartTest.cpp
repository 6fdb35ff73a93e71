// The effect chart's entries for each notification, and the painted lanes:
// full-height marks, delay bars scaled to the largest visible delay, black
// lanes after Clear, and the newest frame in the lane's last column.
#include <gtest/gtest.h>

#include "tests/ui/graph/GraphTestSupport.h"
#include "ui/graph/EffectChart.h"
#include "ui/graph/EffectChartLayout.h"

namespace {

std::vector<TEffectNotification> Frame(uint16_t delay, std::initializer_list<uint16_t> effects = {}) {
  std::vector<TEffectNotification> notifications{{WM_EFFECT_FRAME, delay}};
  for (uint16_t effect : effects) notifications.push_back({effect, 0});
  return notifications;
}

TEST(EffectEvents, EachNotificationSetsItsBits) {
  const struct {
    std::vector<TEffectNotification> Notifications;
    uint32_t Entry;
  } cases[] = {
      {Frame(300), 300u << 16},
      {Frame(0, {WM_EFFECT_LOSS}), TEffectEvents::kLost},
      {Frame(5, {WM_EFFECT_CORRUPTION}), (5u << 16) | TEffectEvents::kCorrupted},
      {Frame(0, {WM_EFFECT_DUPLICATION}), TEffectEvents::kDuplicated},
      {Frame(0, {WM_EFFECT_REORDERING}), TEffectEvents::kReordered},
      {Frame(65535, {WM_EFFECT_CORRUPTION, WM_EFFECT_DUPLICATION, WM_EFFECT_REORDERING}),
       0xFFFF0000u | TEffectEvents::kCorrupted | TEffectEvents::kDuplicated | TEffectEvents::kReordered},
      {Frame(static_cast<uint16_t>(70000)), 4464u << 16},  // a delay above 65535 ms, modulo 65536
      {Frame(7, {0x8195, 0x0400}), 7u << 16},              // other messages change nothing
  };
  for (const auto& c : cases) {
    TEffectEvents events;
    events.Apply(Frame(1, {WM_EFFECT_LOSS}));  // an older frame, which the effects must not touch
    events.Apply(c.Notifications);
    EXPECT_EQ(events.At(0), c.Entry) << c.Notifications.size();
    EXPECT_EQ(events.At(1), (1u << 16) | TEffectEvents::kLost);
  }
}

TEST(EffectEvents, TheOldestFrameIsLostAndClearEmptiesAll) {
  TEffectEvents events;
  events.Apply(Frame(9, {WM_EFFECT_LOSS}));
  for (int i = 0; i < TEffectEvents::kLength - 1; ++i) events.Apply(Frame(2));
  EXPECT_EQ(events.At(TEffectEvents::kLength - 1), (9u << 16) | TEffectEvents::kLost);
  EXPECT_EQ(events.LargestDelay(TEffectEvents::kLength), 9u);
  EXPECT_EQ(events.LargestDelay(100), 2u);  // only the positions asked for
  events.Apply(Frame(2));
  EXPECT_EQ(events.At(TEffectEvents::kLength - 1), 2u << 16);
  EXPECT_EQ(events.LargestDelay(TEffectEvents::kLength), 2u);
  events.Clear();
  for (int position : {0, 1, TEffectEvents::kLength - 1}) EXPECT_EQ(events.At(position), 0u);
}

class EffectChartTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureApplication(); }
  void SetUp() override { Chart.resize(400, 120); }

  TEffectChartLayout Layout() const {
    return TEffectChartLayout::Compute(Chart.width(), Chart.height(), Chart.NameWidth());
  }
  // Pixels of the lane's colour in column x of lane i, upward from its bottom.
  int Mark(const QImage& image, int lane, int x) const {
    return RunUpward(image, x, Layout().Lanes[lane].bottom(), kEffectLanes[lane].Color);
  }
  static bool AllBlack(const QImage& image, const QRect& lane) {
    for (int y = lane.top(); y <= lane.bottom(); ++y)
      for (int x = lane.left(); x <= lane.right(); ++x)
        if (image.pixel(x, y) != qRgb(0, 0, 0)) return false;
    return true;
  }

  TEffectChart Chart;
};

TEST_F(EffectChartTest, ALostDelayedFrameMarksBothLanesAtTheRightEdge) {
  Chart.ApplyNotifications(Frame(200));
  Chart.ApplyNotifications(Frame(100, {WM_EFFECT_LOSS}));
  const QImage image = Chart.Render();
  const TEffectChartLayout layout = Layout();
  const int newest = layout.Lanes[1].right();
  const int laneHeight = layout.Lanes[1].height();
  EXPECT_EQ(Mark(image, 1, newest), laneHeight);  // full-height loss mark
  EXPECT_EQ(Mark(image, 1, newest - 1), 0);
  // The older frame's 200 ms is the largest delay: full height; 100 ms half of it.
  EXPECT_EQ(Mark(image, 0, newest - 1), layout.Lanes[0].height());
  EXPECT_NEAR(Mark(image, 0, newest), layout.Lanes[0].height() / 2.0, 0.5);
  for (int lane : {2, 3, 4}) EXPECT_EQ(Mark(image, lane, newest), 0) << lane;
  // Nothing is drawn right of the lane.
  EXPECT_EQ(image.pixel(newest + 1, layout.Lanes[1].bottom()), qRgb(51, 51, 51));
  EXPECT_EQ(image.pixel(0, 0), qRgb(128, 128, 128));  // the outline
}

TEST_F(EffectChartTest, EachEffectInItsLane) {
  Chart.ApplyNotifications(Frame(0, {WM_EFFECT_DUPLICATION}));
  Chart.ApplyNotifications(Frame(0, {WM_EFFECT_REORDERING}));
  Chart.ApplyNotifications(Frame(0, {WM_EFFECT_CORRUPTION}));
  const QImage image = Chart.Render();
  const int newest = Layout().Lanes[0].right();
  EXPECT_EQ(Mark(image, 4, newest), Layout().Lanes[4].height());
  EXPECT_EQ(Mark(image, 3, newest - 1), Layout().Lanes[3].height());
  EXPECT_EQ(Mark(image, 2, newest - 2), Layout().Lanes[2].height());
  // Frames without delay leave the latency lane black.
  EXPECT_TRUE(AllBlack(image, Layout().Lanes[0]));
}

TEST_F(EffectChartTest, ClearLeavesFiveBlackLanesWithTheirNames) {
  for (int i = 0; i < 500; ++i) Chart.ApplyNotifications(Frame(i, {WM_EFFECT_LOSS, WM_EFFECT_CORRUPTION}));
  Chart.Clear();
  const QImage image = Chart.Render();
  SaveScreenshot(image, QStringLiteral("chart-cleared"));
  for (const QRect& lane : Layout().Lanes) EXPECT_TRUE(AllBlack(image, lane));
  // Each name is written in the name column, on the dark background.
  for (int i = 0; i < 5; ++i) {
    const QRect name(10, Layout().NameTop[i], Chart.NameWidth(), Layout().Lanes[i].height());
    bool written = false;
    for (int y = name.top(); y <= name.bottom() && !written; ++y)
      for (int x = name.left(); x <= name.right() && !written; ++x) written = image.pixel(x, y) != qRgb(51, 51, 51);
    EXPECT_TRUE(written) << kEffectLanes[i].Name;
  }
}

TEST_F(EffectChartTest, AtMostTheNewestFramesThatFitAreDrawn) {
  for (int i = 0; i < TEffectEvents::kLength + 10; ++i) Chart.ApplyNotifications(Frame(1, {WM_EFFECT_LOSS}));
  const struct {
    int Width;
    int Columns;
  } cases[] = {{400, 0}, {9000, TEffectEvents::kLength}};
  for (const auto& c : cases) {
    Chart.resize(c.Width, 120);
    const QImage image = Chart.Render();
    const QRect lane = Layout().Lanes[1];
    int marked = 0;
    for (int x = lane.left(); x <= lane.right(); ++x) marked += Mark(image, 1, x) == lane.height();
    EXPECT_EQ(marked, c.Columns == 0 ? lane.width() : c.Columns) << c.Width;
    if (c.Columns != 0) {
      EXPECT_EQ(Mark(image, 1, lane.right() - c.Columns), 0);  // black beyond the oldest
    }
  }
}

TEST_F(EffectChartTest, Screenshot) {
  Chart.resize(800, 140);
  for (int i = 0; i < 2000; ++i) {
    std::initializer_list<uint16_t> none{};
    std::initializer_list<uint16_t> lost{WM_EFFECT_LOSS};
    std::initializer_list<uint16_t> mixed{WM_EFFECT_CORRUPTION, WM_EFFECT_DUPLICATION};
    std::initializer_list<uint16_t> held{WM_EFFECT_REORDERING};
    const int kind = (i * 7919) % 53;
    const uint16_t delay = static_cast<uint16_t>(80 + (i * 37) % 160);
    Chart.ApplyNotifications(Frame(delay, kind == 0 ? lost : kind == 1 ? mixed : kind == 2 ? held : none));
  }
  SaveScreenshot(Chart.grab().toImage(), QStringLiteral("chart-traffic"));
}

}  // namespace
