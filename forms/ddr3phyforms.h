#pragma once

#include "ui_ddr3phy_config_option.h"
#include "ui_ddr3phy_config_timing.h"
#include "ui_ddr3phy_config_type.h"

namespace DDR3PHY {

class DDR3PHY_Config_Type : public Ui::DDR3PHY_Config_Type
{
};

class DDR3PHY_Config_Option : public Ui::DDR3PHY_Config_Option
{
};

class DDR3PHY_Config_Timing : public Ui::DDR3PHY_Config_Timing
{
};

} // namespace DDR3PHY
