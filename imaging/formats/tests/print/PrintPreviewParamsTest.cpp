#include <gtest/gtest.h>

#include "imaging/formats/BrelvixIO.h"

TEST(PrintPreviewParams, ComponentStartsWithTheDialogsDefaults)
{
    TBrelvixIO io(nullptr);
    const TIOPrintPreviewParams& params = io.PrintPreviewParams();
    for (double margin : params.Margins)
        EXPECT_EQ(margin, 1.0);
    EXPECT_EQ(params.PositionCode, 4);
    EXPECT_EQ(params.SizeCode, 1);
    EXPECT_EQ(params.SizeWidth, -1.0);
    EXPECT_EQ(params.SizeHeight, -1.0);
    EXPECT_EQ(params.Correction, 1.0);
}
