// The engine's value types that the session's own headers use: conversion options and
// languages, output formats, results and progress. Kept in one place so that the rest of
// the session depends on the engine's header layout only here and in a few sources.
#pragma once

#include "core/ConversionOptions.h"
#include "core/ConversionResult.h"
