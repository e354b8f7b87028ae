// Stands in for the 1:2 PHY: names the port the top module drives.
`define RATIO_PORT half_rate_q
