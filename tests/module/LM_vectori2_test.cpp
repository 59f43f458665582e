#include "LM_types.h"

#include <gtest/gtest.h>

#include <cmath>

// 32767^2 = 1073676289 rounds to 1073676288 in float; twice that is exact; the root in double.
TEST(Vectori2, MagnitudeIsInSinglePrecisionAndTheAngleUsesTheFloatPi) {
    EXPECT_EQ((LM_vectori2{-3, -4}.Magnitude()), 5.0f);
    EXPECT_EQ((LM_vectori2{1, 1}.Magnitude()), 1.41421354f);
    EXPECT_EQ((LM_vectori2{32767, 32767}.Magnitude()), float(std::sqrt(2147352576.0)));
    EXPECT_EQ((LM_vectori2{-32768, 0}.Magnitude()), 32768.0f);
    const double pi = 3.1415927410125732, quarter = std::atan(1.0); // the float pi, exactly
    const double cases[][3] = {{0, 0, pi / 2},
                               {5, 0, pi / 2},
                               {-5, 0, -pi / 2},
                               {0, 2, 0},
                               {0, -2, pi},
                               {1, 1, quarter},
                               {-1, 1, -quarter},
                               {1, -1, pi - quarter},
                               {-1, -1, quarter - pi},
                               {3, -4, pi - std::atan(0.75)}};
    for (const auto& c : cases)
        EXPECT_EQ(LM_ATan2(c[0], c[1]), c[2]) << "atan2(" << c[0] << ", " << c[1] << ")";
}
