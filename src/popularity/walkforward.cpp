#include "popularity/walkforward.h"

#include <QString>

#include <optional>
#include <stdexcept>

namespace Popularity {

WalkForward walkForward(const Sample &sample, const WalkForwardOptions &options)
{
    const size_t start = size_t(std::max(1, options.training));
    if (sample.draws.size() <= start) {
        throw std::invalid_argument(QStringLiteral("当せん金の履歴が %1 回分しかなく、%2 回分で学習したあとに予測する回がありません。")
                                        .arg(sample.draws.size())
                                        .arg(start)
                                        .toStdString());
    }
    const GameRules &rules = rulesOf(sample.game);
    const LinePatterns patterns(sample.game);
    Options equalOptions = options.model;
    equalOptions.popularity = false;

    WalkForward result;
    result.tiers.resize(size_t(rules.tierCount()));
    result.firstDraw = sample.draws[start].drawNo;
    std::optional<Fit> model;
    std::optional<Fit> equal;
    size_t fittedOn = 0;
    for (size_t i = start; i < sample.draws.size(); ++i) {
        if (!model || i - fittedOn >= size_t(std::max(1, options.refitEvery))) {
            model = fit(sample, i, options.model, model ? &*model : nullptr);
            equal = fit(sample, i, equalOptions, equal ? &*equal : nullptr);
            fittedOn = i;
            ++result.refits;
        }
        const Sample::Draw &draw = sample.draws[i];
        const double s = model->score(patterns, draw.line, draw.previous);
        Prediction prediction;
        prediction.drawNo = draw.drawNo;
        for (int t = 1; t <= rules.tierCount(); ++t) {
            const double y = draw.winners[size_t(t - 1)];
            Skill &skill = result.tiers[size_t(t - 1)];
            prediction.model.push_back(model->expectedWinners(t, draw.fund, s));
            prediction.equal.push_back(equal->expectedWinners(t, draw.fund, 0));
            const double modelDeviance = poissonDeviance(y, prediction.model.back());
            const double equalDeviance = poissonDeviance(y, prediction.equal.back());
            skill.modelDeviance += modelDeviance;
            skill.equalDeviance += equalDeviance;
            result.total.modelDeviance += modelDeviance;
            result.total.equalDeviance += equalDeviance;
        }
        result.predictions.push_back(std::move(prediction));
        ++result.predicted;
        result.lastDraw = draw.drawNo;
    }
    return result;
}

} // namespace Popularity
