# shellcheck shell=bash
# Where the programs lie inside Orvane.app, for the scripts that package it and the cask that
# installs it; the build puts them there (cmake/MacBundle.cmake). Sourced, never run.
# shellcheck disable=SC2034 # read by the scripts that source this file
orvane_app_executable="Contents/MacOS/Orvane"
# shellcheck disable=SC2034
orvane_cli_path="Contents/Helpers/orvane"
