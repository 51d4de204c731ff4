// The finishing marks of a car and its status tag.
#include "vehicle/services.h"

void SetCarStatusTag(CarObject& car, int codePage, const char* text)
{
    car.race.result.tagCodePage = codePage;
    CopyFixedString(car.race.result.tag, text, CarStatusTagSize);
}

void SetCarDisqualified(CarObject& car, int codePage) { SetCarStatusTag(car, codePage, GetText(TX_3a_dsqulcap)); }

void SetCarFinished(CarObject& car, int codePage)
{
    car.race.result.finished = 1;
    if (car.race.result.tag[0] == 0)
        SetCarStatusTag(car, codePage, GetText(TX_3a_cpfinish));
}

void SetCarClassified(CarObject& car) { car.race.result.classified = 1; }
