// The body-astrology catalogue: ruling planet and five lists for each sign.
//
// The texts are kept exactly as the program has always shown them, odd spacing and spelling
// included, so that readings stay word for word what users have had before.
#include "core/zodiac.h"

#include <initializer_list>

namespace {

using Items = std::initializer_list<const char*>;

struct CatalogueEntry {
    const char* sign;
    const char* rulingPlanet;
    Items bodyParts;
    Items illnessTendency;
    Items dietTips;
    Items healthTips;
    Items erogenousZone;
};

// List items are kept apart here and joined on look-up, so the line breaks cannot drift.
const CatalogueEntry kCatalogue[] = {
    {"Aries", "Mars",
     // BodyParts
     {"->Head, face",
      "->Thinking, Perception",
      "->Subrenals (excitability, impetuosity)"},
     // IllnessTendency
     {"->headaches, head congestion, sinus conditions, eyestrain,teeth problem"},
     // DietTips
     {"->Cell salt: ->Potassium phosphate.",
      "->Well-balanced diet rich in potassium"},
     // HealthTips
     {"->Avoid salt and liquor",
      "->drink plenty of water",
      "->adequate rest and relaxation"},
     // ErogenousZone
     {"->Gentle stroking of the hair and scalp.",
      "->ear massage",
      "->light strokes of the lips",
      "->kisses on eyes"}},
    {"Taurus", "Venus",
     // BodyParts
     {"->Throat, neck",
      "->melodious speaking voices",
      "->fine singers",
      "->thyroid gland"},
     // IllnessTendency
     {"->colds, coughs, sore throats, stiff necks",
      "->tend to get weight"},
     // DietTips
     {"->Cell salt: Sulphate of sodium -Na",
      "->Good diet low in starch, fat and sugar rich in Na"},
     // HealthTips
     {"->should coddle their throat",
      "->walking, stretching exercises for the neck"},
     // ErogenousZone
     {"->light touching , kissing , gentle bites, massage of neck"}},
    {"Gemini", "Mercury",
     // BodyParts
     {"->Shoulders, arms, hands, lungs",
      "->nerves",
      "->dexterous, well-coordinated",
      "->many projects, many people"},
     // IllnessTendency
     {"->upper respiratory infections, bronchitis, asthma, sprains and fractures in the bones of shoulders, arms, hands"},
     // DietTips
     {"->Cell salt: Potassium chloride",
      "->No coffee and stimulants",
      "->herbal teas with calming effect",
      "->eat mini-meals a day"},
     // HealthTips
     {"->relaxation",
      "->should take time to unwind, relax, soothe their nerves.",
      "->practice deep breathing, Yoga exercises"},
     // ErogenousZone
     {"->Light kisses, touches on arms, hands, spine",
      "->wrist, inner arm massage"}},
    {"Cancer", "Moon",
     // BodyParts
     {"->Breast, stomach,nourishment, motherhood , protective"},
     // IllnessTendency
     {"->gaining weight in later years",
      "->stomach, digestive problems, ulcers, gallbladder upsets, gas pains, gastritis"},
     // DietTips
     {"->Cell salt: Calcium fluoride",
      "->excess sweets make stomachs worse",
      "->keep digestive systems healthy and weight under control"},
     // HealthTips
     {"->meal in pleasant, calm surrounding",
      "->walk after meal aids digestion and serenity of mind",
      "->fresh vegetables, fresh fruit, lean meet, rich in calcium"},
     // ErogenousZone
     {"->Breasts,soft caresses, gentle bites, kisses, massage"}},
    {"Leo", "Sun",
     // BodyParts
     {"->Spine, back, Heart",
      "->warm emotions, courage"},
     // IllnessTendency
     {"->upper back tires more easily",
      "->subject to strain and pressure around the heart",
      "->heart problem later in life"},
     // DietTips
     {"->Cell salt: Magnesium phosphate",
      "->strong stomachs, good circulation",
      "->must learn to eat correctly ad cut down on fatty foods"},
     // HealthTips
     {"->take care of back, spine with strengthening exercises",
      "->develop good posture, get enough rest and relaxation",
      "->sunbathing"},
     // ErogenousZone
     {"->Sweeping caresses over the back ad spine",
      "->back massage"}},
    {"Virgo", "Mercury",
     // BodyParts
     {"->Nervous system, intestines",
      "->assimilate knowledge and turn it to practical use.",
      "->delicate nervous systems",
      "->intuitive, discriminating"},
     // IllnessTendency
     {"->Nervous tension, anxiety and emotional stress are their worst enemies.",
      "->fussy digestive systems, indigestion, gas pains, ulcers, liver upsets, bowel problems"},
     // DietTips
     {"->Cell salt: Potassium sulphate",
      "->food high in  Potassium",
      "->healthy food easy to digest",
      "->no chocolate",
      "->less medicine as possible"},
     // HealthTips
     {"->sunshine in moderate amounts, mild exercise, period of relaxation",
      "->get away from worry, think about something else"},
     // ErogenousZone
     {"->Stomach area responsive to touching, kissing, stroking",
      "->massage abdomen, chest, stomach area top of legs"}},
    {"Libra", "Venus",
     // BodyParts
     {"->Kidneys, lumbar region, buttocks"},
     // IllnessTendency
     {"->weakness in lower back",
      "->kidney ailments, skin breakouts",
      "->poor circulation",
      "->health is influenced by surroundings and relationships"},
     // DietTips
     {"->Cell salt Sodium phosphate",
      "->keep proper balance of acids and alkalis in the body",
      "->drink plenty of water",
      "->avoid alcohol ad carbonated drinks"},
     // HealthTips
     {"->rid the body of waste material",
      "->mild exercises, especially back exercises",
      "->strengthen the lower back",
      "->keep the body supple and good posture"},
     // ErogenousZone
     {"->Lower back ,buttock caressed, rubbed, fondled, patted, gently pinched, massaged"}},
    {"Scorpio", "Pluto",
     // BodyParts
     {"->Sexual organs",
      "->life-giving energy",
      "->fund of energy and imagination",
      "->passionate, possessive"},
     // IllnessTendency
     {"->problems and infections of the sex organs",
      "->skin eruptions on the genitals, cystitis, diseases of the urinary tract",
      "->unable to rest therefore suffer from exhaustion"},
     // DietTips
     {"->Cell salt Calcium sulphate",
      "->food rich in this mineral",
      "->diet high in protein, fresh fruits ad vegetables, whole-grain breads"},
     // HealthTips
     {"->need rest ad recreation, exercise, peaceful surroundings",
      "->under a water sign, benefit from sea travel, vacation at the seashore, long soaks in warm baths"},
     // ErogenousZone
     {"->Genital contact"}},
    {"Sagittarius", "Jupiter",
     // BodyParts
     {"->Hips, thighs, liver",
      "->love freedom, fresh air, sunshine, great outdoors",
      "->physical activity is a must"},
     // IllnessTendency
     {"->tendency to put weight as they get older, injuries and ailments of the hips and thighs",
      "->vulnerable to sciatica, gout, hip disease",
      "->vulnerable liver"},
     // DietTips
     {"->Cell salt : Silica",
      "->No fat, gravies, cream, butter, candy, chocolate",
      "->high protein diet with broiled poultry ad fish, fresh vegetables ad fruit"},
     // HealthTips
     {"->need mental stimulation",
      "->have to have recreation and exercise in moderation",
      "->drink lots of pure water, avoid smoking, eat four mini-meals"},
     // ErogenousZone
     {"->hips, thighs touched, caressed, massaged"}},
    {"Capricorn", "Saturn",
     // BodyParts
     {"->Bones, joints, knees, teeth",
      "->strong constitution, capable of withstanding stress and illness"},
     // IllnessTendency
     {"->Those parts are vulnerable to accidents, fractures, bumps, bruises, cuts.",
      "->rheumatism, arthritis, stiff joints, orthopaedic problems"},
     // DietTips
     {"->Cell salt; Calcium phosphate",
      "->diet high in protein and calcium is a must.",
      "->everyday a fresh raw salad, fresh fruits and vegetables, lean protein, fish eggs, whole-grain breads"},
     // HealthTips
     {"->never overdo sunbathing",
      "->should keep warm and wrapped up in cold, damp weather.",
      "->pleasant surrounding, soothing music, pleasant people",
      "->warm bath, moderate exercise, long walk"},
     // ErogenousZone
     {"->Brush, stroke, fondle, kiss the area around the knees",
      "->stroke, touching of lower back, down to buttock, back of the thighs ad onto the backs of the knees"}},
    {"Aquarius", "Uranus",
     // BodyParts
     {"->Circulatory System, shins, calves, ankles",
      "->progressive thinking",
      "->strong healthy and well-coordinated"},
     // IllnessTendency
     {"->ankles swell and cause problems",
      "->varicose veins, cramps in the lower legs",
      "->circulatory problems, hardening of the arteries, anaemia, low blood pressure"},
     // DietTips
     {"->Cell salt: Sodium chloride",
      "->need to absorb sodium chloride naturally",
      "->diet that limits fattening foods",
      "->diet high in protein, fresh fruits and vegetables, whole-grain breads"},
     // HealthTips
     {"->fresh air, exercise to relieve tension and rev up energy.",
      "->brisk walks",
      "->no running",
      "->elevate the legs",
      "->cut down on coffee"},
     // ErogenousZone
     {"->Touching, rubbing, fondling or kissing the calves and ankles",
      "->massage from the ankles to the knees",
      "->the area in back of the calves is particularly sensitive"}},
    {"Pisces", "Neptune",
     // BodyParts
     {"->Feet, toes, the mucous membranes",
      "->senses of taste and smell very acute"},
     // IllnessTendency
     {"->suffer from corns, bunions",
      "->prone to athlete's foot and other fungus infections",
      "->gouts often afflicts the toes",
      "->easily fall prey to the influence of alcohol and drugs"},
     // DietTips
     {"->Cell salt Ferrum phosphate",
      "->foods rich in iron",
      "->high protein diet low in fat and sugar",
      "->cut down on table salt, on coffee"},
     // HealthTips
     {"->involved in creative work, music, art and drama.",
      "->need  lots of rest to keep up vitality, which tends to be low",
      "->swimming and dancing",
      "->extra care of feet and wear comfortable , well -fitting shoes",
      "->warm foot bath"},
     // ErogenousZone
     {"->massage, touch the feet",
      "->foot soak in scented water, followed with an application of foot lotion, massage",
      "->use the feet to enhance the act of love"}},
};

std::string joinItems(Items items)
{
    std::string text;
    for (const char* item : items) {
        if (!text.empty())
            text += "\r\n";
        text += item;
    }
    return text;
}

} // namespace

void LookUpBodyAstrology(CatalogueFields& fields, const std::string& sign)
{
    for (const CatalogueEntry& entry : kCatalogue) {
        if (sign != entry.sign)
            continue;
        fields.RulingPlanet = entry.rulingPlanet;
        fields.BodyParts = joinItems(entry.bodyParts);
        fields.IllnessTendency = joinItems(entry.illnessTendency);
        fields.DietTips = joinItems(entry.dietTips);
        fields.HealthTips = joinItems(entry.healthTips);
        fields.ErogenousZone = joinItems(entry.erogenousZone);
        return;
    }
}
