// The calibration: when it can define a scale, its unit names and its scale.
#include "components/overlay/OvCalib2D.h"
#include "components/overlay/OvCalib2Ds.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {
std::shared_ptr<OvCalib2D> good()
{
    auto cal = OvCalib2Ds().newCalib2D(QSize(200, 100));
    cal->setUnit(3);
    cal->setAspect(1.0f);
    cal->setRefLength(10.0);
    cal->setRefPoint(0, 0.1f, 0.5f);
    cal->setRefPoint(1, 0.6f, 0.5f); // 100 pixels
    return cal;
}
} // namespace

TEST(Calib2D, FailsWhenTheReferenceCannotDefineAScale)
{
    auto cal = good();
    EXPECT_EQ(cal->failed(), OvCalib2D::None);
    EXPECT_NEAR(cal->scale(), 0.1, 1e-7); // 10 mm over 100 pixels

    cal->setRefPoint(1, 0.1f, 0.5f); // released where pressed
    EXPECT_EQ(cal->failed(), OvCalib2D::ShortReference);
    EXPECT_DOUBLE_EQ(cal->scale(), 0.0);
    EXPECT_DOUBLE_EQ(cal->distance(QPointF(0, 0), QPointF(1, 1)), 0.0);
    // Under a pixel fails, a pixel is enough (in either axis).
    cal->setRefPoint(1, 0.1f + 0.9f / 200, 0.5f);
    EXPECT_EQ(cal->failed(), OvCalib2D::ShortReference);
    cal->setRefPoint(1, 0.1f, 0.5f + 1.0f / 100);
    EXPECT_EQ(cal->failed(), OvCalib2D::None);

    cal = good();
    cal->setRefLength(0);
    EXPECT_EQ(cal->failed(), OvCalib2D::BadLength);
    cal->setRefLength(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(cal->failed(), OvCalib2D::BadLength);
    cal = good();
    cal->setAspect(0.0f);
    EXPECT_EQ(cal->failed(), OvCalib2D::BadAspect);
    cal->setAspect(-1.0f);
    EXPECT_EQ(cal->failed(), OvCalib2D::BadAspect);
    auto noPicture = OvCalib2Ds().newCalib2D(QSize());
    noPicture->setAspect(1.0f);
    noPicture->setRefLength(1);
    noPicture->setRefPoint(1, 1.0f, 1.0f);
    EXPECT_EQ(noPicture->failed(), OvCalib2D::NoPicture);
}

TEST(Calib2D, PhysicalPointsWidenXByTheAspect)
{
    auto cal = good();
    cal->setAspect(1.5f);
    EXPECT_EQ(cal->toPhysical(QPointF(0.5, 0.5)), QPointF(150, 50));
    // The horizontal reference of 100 pixels is now 150 units long.
    EXPECT_NEAR(cal->scale(), 10.0 / 150.0, 1e-7);
    EXPECT_NEAR(cal->distance(QPointF(0, 0), QPointF(0, 0.3)), 30 * 10.0 / 150.0, 1e-6);
}
