#pragma once

#include "popularity/popularitymodel.h"

#include <vector>

// Honest by construction: each draw's winners are predicted from its numbers
// and its fund by models fitted only on the draws before it, and scored
// against the same prediction of the model in which every line is equally
// popular.
namespace Popularity {

struct WalkForwardOptions
{
    int training = 200;   // draws of the sample behind the first prediction
    int refitEvery = 50;  // the models are fitted again after this many draws
    Options model;        // the popularity model under test
};

struct Skill
{
    double modelDeviance = 0; // Poisson deviance of the predictions
    double equalDeviance = 0; // the same of every line equally popular
    // The share of the equal model's deviance the popularity model removes;
    // negative when it predicts worse.
    double explained() const { return equalDeviance > 0 ? 1 - modelDeviance / equalDeviance : 0; }
};

// What the two models expected of one draw's winners, per tier.
struct Prediction
{
    int drawNo = 0;
    std::vector<double> model;
    std::vector<double> equal;
};

struct WalkForward
{
    int predicted = 0; // draws predicted
    int firstDraw = 0;
    int lastDraw = 0;
    int refits = 0;
    std::vector<Skill> tiers; // 1等 first
    Skill total;              // every tier's deviances added up
    std::vector<Prediction> predictions; // per draw predicted
};

// Throws std::invalid_argument (Japanese) when the sample has no draw after
// the training draws, or a fit fails.
WalkForward walkForward(const Sample &sample, const WalkForwardOptions &options);

} // namespace Popularity
