#!/bin/sh
# Generates core NAME of configs.txt into DIR (see gen in hdl.sh).
#   gen_config.sh IPGEN NAME DIR
set -eu
. "$(dirname "$0")/hdl.sh"
ipgen=$1
gen "$2" "$3"
