#include "LM_types.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Vectori2, MagnitudeIsTheLengthInSinglePrecision) {
    EXPECT_EQ((LM_vectori2{3, 4}.Magnitude()), 5.0f);
    EXPECT_EQ((LM_vectori2{-3, -4}.Magnitude()), 5.0f);
    EXPECT_EQ((LM_vectori2{0, 0}.Magnitude()), 0.0f);
    EXPECT_EQ((LM_vectori2{1, 1}.Magnitude()), 1.41421354f);
    // 32767^2 = 1073676289 rounds to 1073676288 in float; twice that is exact; the root in double.
    EXPECT_EQ((LM_vectori2{32767, 32767}.Magnitude()), float(std::sqrt(2147352576.0)));
    EXPECT_EQ((LM_vectori2{-32768, 0}.Magnitude()), 32768.0f);
}

TEST(Vectori2, ATan2CoversEveryQuadrantWithTheFloatPi) {
    const double pi = 3.1415927410125732; // the float pi, exactly
    const double quarter = std::atan(1.0);
    EXPECT_EQ(LM_ATan2(0, 0), pi / 2);
    EXPECT_EQ(LM_ATan2(5, 0), pi / 2);
    EXPECT_EQ(LM_ATan2(-5, 0), -pi / 2);
    EXPECT_EQ(LM_ATan2(0, 2), 0.0);
    EXPECT_EQ(LM_ATan2(0, -2), pi);
    EXPECT_EQ(LM_ATan2(1, 1), quarter);
    EXPECT_EQ(LM_ATan2(-1, 1), -quarter);
    EXPECT_EQ(LM_ATan2(1, -1), pi - quarter);
    EXPECT_EQ(LM_ATan2(-1, -1), quarter - pi);
    EXPECT_EQ(LM_ATan2(3, -4), pi - std::atan(0.75));
}
