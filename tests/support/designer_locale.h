#pragma once
// Tests of the designer's texts: its decimal comma and Russian at the start,
// and the process defaults back afterwards.
#include "common/lang.h"
#include "common/numtext.h"
#include <gtest/gtest.h>

class DesignerLocaleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        numtext::SetDecimalSeparator(',');
        English = false;
    }
    void TearDown() override
    {
        English = false;
        numtext::SetDecimalSeparator('.');
    }
};
