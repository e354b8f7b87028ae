// Stands in for the 1:4 PHY: names the port the top module drives.
`define RATIO_PORT quarter_rate_q
