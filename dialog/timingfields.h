#pragma once

#include "ddr3phyforms.h"
#include "presets.h"

namespace DDR3PHY {

// The timing page's fields in the order the presets, the record and the files list them.
struct TimingField
{
    const char *key; // of the configuration record
    int Timings::*value;
    QSpinBox *DDR3PHY_Config_Timing::*spin;
};

inline constexpr TimingField timingFields[] = {
    {"tRP", &Timings::tRp, &DDR3PHY_Config_Timing::spinTRp},
    {"tRRD", &Timings::tRrd, &DDR3PHY_Config_Timing::spinTRrd},
    {"tRTP", &Timings::tRtp, &DDR3PHY_Config_Timing::spinTRtp},
    {"tRCD", &Timings::tRcd, &DDR3PHY_Config_Timing::spinTRcd},
    {"tRC", &Timings::tRc, &DDR3PHY_Config_Timing::spinTRc},
    {"tRAS", &Timings::tRas, &DDR3PHY_Config_Timing::spinTRas},
    {"tFAW", &Timings::tFaw, &DDR3PHY_Config_Timing::spinTFaw},
    {"tWTR", &Timings::tWtr, &DDR3PHY_Config_Timing::spinTWtr},
    {"tCKE", &Timings::tCke, &DDR3PHY_Config_Timing::spinTCke},
    {"tREFI", &Timings::tRefi, &DDR3PHY_Config_Timing::spinTRefi},
    {"tRFC", &Timings::tRfc, &DDR3PHY_Config_Timing::spinTRfc},
    {"tDLLK", &Timings::tDllk, &DDR3PHY_Config_Timing::spinTDllk},
};

} // namespace DDR3PHY
