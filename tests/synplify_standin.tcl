# Stands in for "Synplify Pro" in the tests, run by tclsh: runs the project as the tool's Tcl
# would, keeps its arguments and each command in seen.txt beside the project, and writes the
# result file the project names (its .vhm too when asked for VHDL) and a stray <result>.vho in
# the working folder, which no run may pick up. A file fail_once two folders above the project
# makes one run fail; STANDIN=no-result makes it write no result.
set prj [lindex $argv end]
set fail [file join [file dirname $prj] .. .. fail_once]
if {[file exists $fail]} { file delete $fail; puts "@E: scripted failure"; exit 1 }
proc record {args} { lappend ::seen [join $args " "] }
record argv {*}$argv
proc add_file {kind file} { record add_file $kind $file }
proc impl {args} {}
proc set_option {name value} { record set_option $name $value; set ::option($name) $value }
proc project {flag file} { record project $flag $file; set ::result $file }
source $prj
set f [open [file join [file dirname $prj] seen.txt] w]; puts $f [join $::seen "\n"]; close $f
set mode [expr {[info exists env(STANDIN)] ? $env(STANDIN) : ""}]
if {$mode eq "no-result"} { exit 0 }
file mkdir [file dirname $::result]
set f [open $::result w]
puts $f "module my_core (input clk, output q);\n  assign q = clk;\nendmodule"
close $f
if {$::option(-write_vhdl)} { set f [open "[file rootname $::result].vhm" w]; close $f }
set f [open "[file rootname [file tail $::result]].vho" w]; puts $f "-- stray"; close $f
