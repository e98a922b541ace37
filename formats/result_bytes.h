#pragma once
#include <functional>
#include <string>

#include "formats/found_recipe.h"

// Runs a reader in a child process (isolated.h): a reader may fail on a
// hostile file in a way no check beforehand finds, and then the file gets a
// note naming `what` ("page") and the import goes on.
//
// The reader hands each recipe to the taker it is given as soon as it has
// it; the recipe goes through the pipe at once and reaches `take` here while
// the child reads on, so that neither process holds all the recipes of a
// large file. Recipes taken before the child failed stay taken. An empty
// `take` collects the recipes into the result instead; the result also holds
// the reader's notes and its count of pictures. `forked` runs here once the
// child has its copy of the document (isolated.h), to free this one.
read_result read_in_child(const std::function<read_result(const found_taker& take)>& read, const std::string& what,
                          const found_taker& take, const std::function<void()>& forked = {});

// For a reader that gives back all its recipes at once: they come back
// through the same pipe, into the result.
read_result read_in_child(const std::function<read_result()>& read, const std::string& what);
