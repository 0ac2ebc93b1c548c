#include "model/Presenters.h"

namespace model {

using namespace Qt::Literals::StringLiterals;

namespace {

using P = Placement;

// Step 1 of every presenter: the variant, from the running source.
void drawVariant(AppState& state, RandomSource& random)
{
    state.variantCode = int16(drawInt(random, state.variantHigh - state.variantLow + 1, state.variantLow));
}

Presentation start(const AppState& state)
{
    Presentation p;
    if (isNumberVariant(state.variantCode))
        p.panel = AnswerPanel::Number;
    else if (isSignVariant(state.variantCode))
        p.panel = AnswerPanel::Sign;
    return p;
}

void numberRow(Presentation& p, Placement placement, const QString& n1, const QString& n2,
               QStringView segno, QStringView uguale)
{
    p.placement = placement;
    p.numero1 = n1;
    p.numero2 = n2;
    p.segno = segno.toString();
    p.uguale = uguale.toString();
}

void signRow(Presentation& p, const QString& n4, const QString& n6, const QString& n8, bool operationOnLeft)
{
    p.numero4 = n4;
    p.numero6 = n6;
    p.numero8 = n8;
    p.operationOnLeft = operationOnLeft;
}

QString sp(int value) { return signedDecimal(value); }
QString d(int value) { return decimal(value); }

}  // namespace

void writeRecordLine(AppState& state, const QString& line)
{
    if (state.operationIndex >= 0 && state.operationIndex < kRecordSlots)
        state.doneOperations[std::size_t(state.operationIndex)] = line;
}

void padOperationTexts(AppState& state)
{
    const auto width3 = [](const QString& text, QString& pad) {
        const auto length = text.trimmed().size();
        if (length == 3)
            pad = QString();
        if (length == 2)
            pad = QStringLiteral(" ");
        if (length == 1)
            pad = QStringLiteral("  ");
    };
    width3(state.operandAText, state.operandAPad);
    width3(state.operandBText, state.operandBPad);
    width3(state.sumText, state.sumPad);
    width3(state.expectedAnswer, state.expectedAnswerPad);

    const auto typedLength = state.typedAnswer.trimmed().size();
    if (typedLength >= 1 && typedLength <= 4)
        state.typedAnswerPad = QString(int(4 - typedLength), u' ');
}

Presentation VisualizzaAdd(AppState& s, RandomSource& random)
{
    drawVariant(s, random);
    Presentation p = start(s);
    const int v = s.variantCode;

    if (isSignVariant(v)) {
        const int change = (v == 8 || v == 12) ? -1 : (v == 9 || v == 11) ? 1 : 0;
        if (change != 0) {
            s.additionSum = int16(s.additionSum + change);
            s.sumText = d(s.additionSum);
        }
    }
    const QString& A = s.operandAText;
    const QString& B = s.operandBText;
    const QString& S = s.sumText;

    switch (v) {
    case 1: numberRow(p, P::UnknownRight, A, B, u"+", u"="); s.expectedAnswer = S; break;
    case 2: numberRow(p, P::UnknownLeft, B, S, u"+", u"="); s.expectedAnswer = A; break;
    case 3: numberRow(p, P::UnknownMiddle, A, S, u"+", u"="); s.expectedAnswer = B; break;
    case 4: numberRow(p, P::UnknownLeft, A, B, u"=", u"+"); s.expectedAnswer = S; break;
    case 5: numberRow(p, P::UnknownMiddle, S, B, u"=", u"+"); s.expectedAnswer = A; break;
    case 6: numberRow(p, P::UnknownRight, S, B, u"=", u"+"); s.expectedAnswer = A; break;
    case 7: signRow(p, A, B, S, true); s.expectedAnswer = u"="_s; break;
    case 8: signRow(p, A, B, S, true); s.expectedAnswer = u">"_s; break;
    case 9: signRow(p, A, B, S, true); s.expectedAnswer = u"<"_s; break;
    case 10: signRow(p, S, A, B, false); s.expectedAnswer = u"="_s; break;
    case 11: signRow(p, S, A, B, false); s.expectedAnswer = u">"_s; break;
    case 12: signRow(p, S, B, A, false); s.expectedAnswer = u"<"_s; break;
    default: break;
    }
    if (p.panel == AnswerPanel::Sign)
        p.uguale2 = u"+"_s;

    padOperationTexts(s);
    const QString a = s.operandAPad + A;
    const QString b = s.operandBPad + B;
    const QString sum = s.sumPad + S;
    switch (v) {
    case 1: writeRecordLine(s, a % u" + " % b % u" = .     r."); break;
    case 2: writeRecordLine(s, u"  . + " % b % u" = " % sum % u"   r."); break;
    case 3: writeRecordLine(s, a % u" +  .  = " % sum % u"   r."); break;
    case 4: writeRecordLine(s, u"  . = " % a % u" + " % b % u"   r."); break;
    case 5: writeRecordLine(s, sum % u" =  .  + " % b % u"   r."); break;
    case 6: writeRecordLine(s, sum % u" = " % b % u" +  . " % u"   r."); break;
    case 7:
    case 8:
    case 9: writeRecordLine(s, a % u" + " % b % u" . " % sum % u"   r."); break;
    case 10:
    case 11: writeRecordLine(s, sum % u" . " % a % u" + " % b % u"   r."); break;
    case 12: writeRecordLine(s, sum % u" . " % b % u" + " % a % u"   r."); break;
    default: break;
    }
    return p;
}

Presentation VisualizzaSot(AppState& s, RandomSource& random)
{
    drawVariant(s, random);
    Presentation p = start(s);
    const int v = s.variantCode;
    const int A = s.operandA;
    const int B = s.operandB;
    const int D = A - B;

    switch (v) {
    case 1: numberRow(p, P::UnknownRight, d(A), d(B), u"-", u"="); s.expectedAnswer = sp(D); break;
    case 2: numberRow(p, P::UnknownLeft, d(D), d(B), u"-", u"="); s.expectedAnswer = sp(A); break;
    case 3: numberRow(p, P::UnknownMiddle, d(A), d(D), u"-", u"="); s.expectedAnswer = sp(B); break;
    case 4: numberRow(p, P::UnknownLeft, d(A), d(B), u"=", u"-"); s.expectedAnswer = sp(D); break;
    case 5: numberRow(p, P::UnknownMiddle, d(D), d(B), u"=", u"-"); s.expectedAnswer = sp(A); break;
    case 6: numberRow(p, P::UnknownRight, d(D), d(A), u"=", u"-"); s.expectedAnswer = sp(B); break;
    case 7: signRow(p, d(A), d(D), d(B), true); s.expectedAnswer = u"="_s; break;
    case 8: signRow(p, d(A), d(D + 1), d(B), true); s.expectedAnswer = u"<"_s; break;
    case 9: signRow(p, d(A), d(D - 1), d(B), true); s.expectedAnswer = u">"_s; break;
    case 10: signRow(p, d(D), d(A), d(B), false); s.expectedAnswer = u"="_s; break;
    case 11: signRow(p, d(D + 1), d(A), d(B), false); s.expectedAnswer = u">"_s; break;
    case 12: signRow(p, d(D - 1), d(A), d(B), false); s.expectedAnswer = u"<"_s; break;
    default: break;
    }
    if (p.panel == AnswerPanel::Sign)
        p.uguale2 = u"-"_s;

    const QString a = s.operandAPad + d(A);
    const QString b = s.operandBPad + d(B);
    // A QString, not a string builder over the temporary d(value).
    const auto diff = [&](int value) -> QString { return s.resultPad + d(value); };
    switch (v) {
    case 1: writeRecordLine(s, a % u" - " % b % u" = . "); break;
    case 2: writeRecordLine(s, u" . - " % diff(D) % u" = " % b); break;
    case 3: writeRecordLine(s, a % u" -  . = " % diff(D)); break;
    case 4: writeRecordLine(s, u" . = " % a % u" - " % b); break;
    case 5: writeRecordLine(s, diff(D) % u" =  . - " % b); break;
    case 6: writeRecordLine(s, diff(D) % u" = " % a % u" - . "); break;
    case 7: writeRecordLine(s, a % u" - " % diff(D) % u" . " % b); break;
    case 8: writeRecordLine(s, a % u" - " % diff(D + 1) % u" . " % b); break;
    case 9: writeRecordLine(s, a % u" - " % diff(D - 1) % u" . " % b); break;
    case 10: writeRecordLine(s, diff(D) % u" . " % a % u" - " % b); break;
    case 11: writeRecordLine(s, diff(D + 1) % u" . " % a % u" - " % b); break;
    case 12: writeRecordLine(s, diff(D - 1) % u" . " % a % u" - " % b); break;
    default: break;
    }
    return p;
}

Presentation VisualizzaMol(AppState& s, RandomSource& random)
{
    drawVariant(s, random);
    Presentation p = start(s);
    const int v = s.variantCode;
    const int A = s.operandA;
    const int B = s.operandB;
    const int Pr = A * B;

    switch (v) {
    case 1: numberRow(p, P::UnknownRight, d(A), d(B), u"x", u"="); s.expectedAnswer = sp(Pr); break;
    case 2: numberRow(p, P::UnknownLeft, d(A), sp(Pr), u"x", u"="); s.expectedAnswer = sp(B); break;
    case 3: numberRow(p, P::UnknownMiddle, d(A), d(Pr), u"x", u"="); s.expectedAnswer = sp(B); break;
    case 4: numberRow(p, P::UnknownMiddle, d(Pr), d(B), u"=", u"x"); s.expectedAnswer = sp(A); break;
    case 5: numberRow(p, P::UnknownRight, d(Pr), d(B), u"=", u"x"); s.expectedAnswer = sp(A); break;
    case 6: numberRow(p, P::UnknownLeft, d(A), sp(B), u"=", u"x"); s.expectedAnswer = sp(Pr); break;
    case 7: signRow(p, d(A), d(B), d(Pr), true); s.expectedAnswer = u"="_s; break;
    case 8: signRow(p, d(A), d(B), d(Pr - 1), true); s.expectedAnswer = u">"_s; break;
    case 9:
        signRow(p, d(A - 1), d(B), d(Pr), true);
        s.expectedAnswer = u"<"_s;
        s.operandAPad = padBelowTen(A - 1);
        break;
    case 10: signRow(p, d(Pr), d(A), d(B), false); s.expectedAnswer = u"="_s; break;
    case 11: signRow(p, d(Pr + 1), d(B), d(A), false); s.expectedAnswer = u">"_s; break;
    case 12: signRow(p, d(Pr - 1), d(A), d(B), false); s.expectedAnswer = u"<"_s; break;
    default: break;
    }
    if (p.panel == AnswerPanel::Sign)
        p.uguale2 = u"x"_s;

    const QString a = s.operandAPad + d(A);
    const QString b = s.operandBPad + d(B);
    // A QString, not a string builder over the temporary d(value).
    const auto prod = [&](int value) -> QString { return s.resultPad + d(value); };
    switch (v) {
    case 1: writeRecordLine(s, a % u" x " % b % u" = . "); break;
    case 2: writeRecordLine(s, u" . x " % a % u" = " % s.resultPad % sp(Pr)); break;
    case 3: writeRecordLine(s, a % u" x  . = " % prod(Pr)); break;
    case 4: writeRecordLine(s, prod(Pr) % u" =  . x " % b); break;
    case 5: writeRecordLine(s, prod(Pr) % u" = " % b % u" x . "); break;
    case 6: writeRecordLine(s, u" . = " % a % u" x " % s.operandBPad % sp(B)); break;
    case 7: writeRecordLine(s, a % u" x " % b % u" . " % prod(Pr)); break;
    case 8: writeRecordLine(s, a % u" x " % b % u" . " % prod(Pr - 1)); break;
    case 9: writeRecordLine(s, s.operandAPad % d(A - 1) % u" x " % b % u" . " % prod(Pr)); break;
    case 10: writeRecordLine(s, prod(Pr) % u" . " % a % u" x " % b); break;
    case 11: writeRecordLine(s, prod(Pr + 1) % u" . " % b % u" x " % a); break;
    case 12: writeRecordLine(s, prod(Pr - 1) % u" . " % a % u" x " % b); break;
    default: break;
    }
    return p;
}

Presentation VisualizzaDiv(AppState& s, RandomSource& random)
{
    drawVariant(s, random);
    Presentation p = start(s);
    const int v = s.variantCode;
    const int A = s.operandA;
    const int B = s.operandB;
    const int Pr = A * B;

    switch (v) {
    case 1: numberRow(p, P::UnknownRight, d(Pr), d(B), u":", u"="); s.expectedAnswer = sp(A); break;
    case 2: numberRow(p, P::UnknownLeft, d(A), d(B), u":", u"="); s.expectedAnswer = sp(Pr); break;
    case 3: numberRow(p, P::UnknownMiddle, d(Pr), d(B), u":", u"="); s.expectedAnswer = sp(A); break;
    case 4: numberRow(p, P::UnknownLeft, d(Pr), d(B), u"=", u":"); s.expectedAnswer = sp(A); break;
    case 5: numberRow(p, P::UnknownMiddle, d(A), d(B), u"=", u":"); s.expectedAnswer = sp(Pr); break;
    case 6: numberRow(p, P::UnknownRight, d(A), d(Pr), u"=", u":"); s.expectedAnswer = sp(B); break;
    case 7: signRow(p, d(Pr), d(A), d(B), true); s.expectedAnswer = u"="_s; break;
    case 8:
        signRow(p, d(Pr), d(A), d(B - 1), true);
        s.expectedAnswer = u">"_s;
        s.operandBPad = padBelowTen(B - 1);
        break;
    case 9:
        signRow(p, d(Pr), d(A), d(B + 1), true);
        s.expectedAnswer = u"<"_s;
        s.operandBPad = padBelowTen(B + 1);
        break;
    case 10: signRow(p, d(A), d(Pr), d(B), false); s.expectedAnswer = u"="_s; break;
    case 11:
        signRow(p, d(A + 1), d(Pr), d(B), false);
        s.expectedAnswer = u">"_s;
        s.operandAPad = padBelowTen(A + 1);
        break;
    case 12:
        signRow(p, d(A - 1), d(Pr), d(B), false);
        s.expectedAnswer = u"<"_s;
        s.operandAPad = padBelowTen(A - 1);
        break;
    default: break;
    }
    if (p.panel == AnswerPanel::Sign)
        p.uguale2 = u":"_s;

    const QString a = s.operandAPad + d(A);
    const QString b = s.operandBPad + d(B);
    const QString dividend = s.resultPad + d(Pr);
    switch (v) {
    case 1: writeRecordLine(s, dividend % u" : " % b % u" = . "); break;
    case 2: writeRecordLine(s, u" . : " % a % u" = " % b); break;
    case 3: writeRecordLine(s, dividend % u" :  . = " % b); break;
    case 4: writeRecordLine(s, u" . = " % dividend % u" : " % b); break;
    case 5: writeRecordLine(s, a % u" =  . : " % b); break;
    case 6: writeRecordLine(s, a % u" = " % dividend % u" : . "); break;
    case 7: writeRecordLine(s, dividend % u" : " % a % u" . " % b); break;
    case 8: writeRecordLine(s, dividend % u" : " % a % u" . " % s.operandBPad % d(B - 1)); break;
    case 9: writeRecordLine(s, dividend % u" : " % a % u" . " % s.operandBPad % d(B + 1)); break;
    case 10: writeRecordLine(s, a % u" . " % dividend % u" : " % b); break;
    case 11: writeRecordLine(s, s.operandAPad % d(A + 1) % u" . " % dividend % u" : " % b); break;
    case 12: writeRecordLine(s, s.operandAPad % d(A - 1) % u" . " % dividend % u" : " % b); break;
    default: break;
    }
    return p;
}

}  // namespace model
