// Keeping a cookie text up to date with the pairs an answer has just sent.
// A cookie text is name=value pairs apart by ";" (spaces anywhere are
// dropped); what these routines write joins the pairs with "; ".
#pragma once

#include "text/Text.h"

// Merges `newCookies` into `cookies`: the new pairs first, in their order,
// then the old pairs whose name no new pair has (the first of each name).
// Pairs ending "=deleted" are dropped, and repeats are written once. Both
// variables lose their spaces; `cookies` receives the merged text, which is
// also returned.
//
//   "A=1; B=2", "B=3; C=4"  => "B=3; C=4; A=1"     (newCookies becomes "B=3;C=4")
//   "A=1", "A=deleted"      => ""                  "flag; A=1", "flag=x" => "flag=x; A=1"
//   "A=1;;B=2", ""          => "A=1; ; B=2"        "A=1; A=2", "" => "A=1"
Text MergeCookies(Text& cookies, Text& newCookies);

// The text before the first "=", or the whole pair without one, trimmed.
Text CookieName(const Text& pair);

// Whether a pair of `pairs` has `name` as its name (exact case).
bool HasCookieName(const TextList& pairs, const Text& name);

// The items of `text` apart by `separator`, each first occurrence kept in
// order, joined again by `separator`. "x; y; x", "; " => "x; y"
Text JoinDistinct(const Text& text, const Text& separator);

// The position (from 1) of the first element equal to `item`, or -1.
int ListIndexOf(const TextList& list, const Text& item);
