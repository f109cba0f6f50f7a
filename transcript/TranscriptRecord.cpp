#include "transcript/TranscriptRecord.h"

#include <QFileInfo>

bool HasFullIdNumber(const TranscriptRecord& r) {
    return r.idNumber.size() >= 18;
}

bool IsComplete(const TranscriptRecord& r) {
    return !r.name.isEmpty() && HasFullIdNumber(r);
}

namespace editor_lists {

const QStringList& PersonTypes() {
    static const QStringList list{"嫌疑人",       "被告人", "罪犯",         "缓刑",     "管制",
                                  "暂予监外执行", "假释",   "刑满释放人员", "吸毒人员", "其他"};
    return list;
}

const QStringList& Sexes() {
    static const QStringList list{"男", "女"};
    return list;
}

const QStringList& Educations() {
    static const QStringList list{"博士", "硕士", "本科", "大专", "中专",
                                  "高中", "初中", "小学", "文盲"};
    return list;
}

const QStringList& Politicals() {
    static const QStringList list{"人大代表", "政协委员", "中共党员", "民主党派", "普通公民"};
    return list;
}

const QStringList& Nationalities() {
    static const QStringList list{"中国",
                                  "安道尔",
                                  "阿联酋",
                                  "阿富汗",
                                  "安提瓜和巴布达",
                                  "英属安圭拉",
                                  "阿尔巴尼亚",
                                  "亚美尼亚",
                                  "安哥拉",
                                  "阿根廷",
                                  "美属萨摩亚",
                                  "奥地利",
                                  "阿鲁巴",
                                  "奥兰群岛",
                                  "阿塞拜疆",
                                  "波黑",
                                  "巴巴多斯",
                                  "孟加拉国",
                                  "比利时",
                                  "布基纳法索",
                                  "保加利亚",
                                  "巴林",
                                  "布隆迪",
                                  "贝宁",
                                  "圣巴瑟米",
                                  "百慕大",
                                  "文莱",
                                  "玻利维亚",
                                  "荷兰加勒比区",
                                  "巴西",
                                  "巴哈马",
                                  "不丹",
                                  "布威岛",
                                  "博茨瓦纳",
                                  "白俄罗斯",
                                  "伯利兹",
                                  "加拿大",
                                  "瑞士",
                                  "智利",
                                  "喀麦隆",
                                  "哥伦比亚",
                                  "哥斯达黎加",
                                  "古巴",
                                  "佛得角",
                                  "圣诞岛",
                                  "塞浦路斯",
                                  "捷克",
                                  "德国",
                                  "吉布提",
                                  "丹麦",
                                  "多米尼克",
                                  "多米尼加",
                                  "阿尔及利亚",
                                  "厄瓜多尔",
                                  "爱沙尼亚",
                                  "埃及",
                                  "西撒哈拉",
                                  "厄立垂亚",
                                  "西班牙",
                                  "芬兰",
                                  "斐济",
                                  "密克罗尼西亚联邦",
                                  "法国",
                                  "加蓬",
                                  "格林纳达",
                                  "乔治亚",
                                  "法属圭亚那",
                                  "加纳",
                                  "格陵兰",
                                  "几内亚",
                                  "瓜德鲁普岛",
                                  "赤道几内亚",
                                  "希腊",
                                  "南乔治亚与南三明治群岛",
                                  "危地马拉",
                                  "圭亚那",
                                  "赫德及麦当劳群岛",
                                  "洪都拉斯",
                                  "克罗地亚",
                                  "海地",
                                  "匈牙利",
                                  "印尼",
                                  "爱尔兰",
                                  "以色列",
                                  "马恩岛",
                                  "印度",
                                  "伊拉克",
                                  "伊朗",
                                  "冰岛",
                                  "意大利",
                                  "泽西岛",
                                  "牙买加",
                                  "约旦",
                                  "日本",
                                  "柬埔寨",
                                  "基里巴斯",
                                  "科摩罗",
                                  "科威特",
                                  "开曼群岛",
                                  "黎巴嫩",
                                  "列支敦士登",
                                  "斯里兰卡",
                                  "利比里亚",
                                  "莱索托",
                                  "立陶宛",
                                  "卢森堡",
                                  "拉脱维亚",
                                  "利比亚",
                                  "摩洛哥",
                                  "马达加斯加",
                                  "马绍尔群岛",
                                  "马其顿",
                                  "马利",
                                  "缅甸",
                                  "法属马丁尼克",
                                  "毛里塔尼亚",
                                  "蒙塞拉特岛",
                                  "马耳他",
                                  "马尔代夫",
                                  "马拉维",
                                  "墨西哥",
                                  "马来西亚",
                                  "纳米比亚",
                                  "尼日",
                                  "尼日利亚",
                                  "尼加拉瓜",
                                  "荷兰",
                                  "挪威",
                                  "尼泊尔",
                                  "瑙鲁",
                                  "阿曼",
                                  "巴拿马",
                                  "秘鲁",
                                  "菲律宾",
                                  "巴基斯坦",
                                  "波兰",
                                  "波多黎各",
                                  "巴勒斯坦",
                                  "帕劳",
                                  "巴拉圭",
                                  "卡达",
                                  "留尼汪",
                                  "罗马尼亚",
                                  "塞尔维亚",
                                  "俄罗斯",
                                  "卢旺达",
                                  "塞舌尔",
                                  "苏丹",
                                  "瑞典",
                                  "新加坡",
                                  "斯洛文尼亚",
                                  "斯洛伐克",
                                  "索马里",
                                  "苏里南",
                                  "南苏丹",
                                  "圣多美普林西比",
                                  "萨尔瓦多",
                                  "叙利亚",
                                  "斯威士兰",
                                  "土克斯及开科斯群岛",
                                  "查德",
                                  "多哥",
                                  "泰国",
                                  "托克劳群岛",
                                  "东帝汶",
                                  "突尼斯",
                                  "东加",
                                  "土耳其",
                                  "吐瓦鲁",
                                  "坦桑尼亚",
                                  "乌克兰",
                                  "乌干达",
                                  "美国",
                                  "乌拉圭",
                                  "梵蒂冈",
                                  "委内瑞拉",
                                  "越南",
                                  "萨摩亚",
                                  "也门",
                                  "美亚特",
                                  "南非",
                                  "赞比亚",
                                  "津巴布韦",
                                  "刚果",
                                  "民主刚果",
                                  "莫桑比克",
                                  "根息岛",
                                  "冈比亚",
                                  "埃塞俄比亚",
                                  "瓦努阿图",
                                  "英国",
                                  "新西兰",
                                  "沙特阿拉伯",
                                  "老挝",
                                  "北朝鲜",
                                  "韩国",
                                  "葡萄牙",
                                  "吉尔吉斯",
                                  "哈萨克",
                                  "塔吉克",
                                  "土库曼",
                                  "乌兹别克",
                                  "圣基茨和尼维斯",
                                  "圣卢西亚",
                                  "毛里求斯",
                                  "科特迪瓦",
                                  "肯尼亚",
                                  "蒙古"};
    return list;
}

const QStringList& WorkYears() {
    static const QStringList list{"1年", "2年", "3年", "4年", "5年以上"};
    return list;
}

const QStringList& TextSizes() {
    static const QStringList list{"小五", "五号", "小四", "四号", "小三", "三号",
                                  "小二", "二号", "小一", "一号", "小初", "初号"};
    return list;
}

} // namespace editor_lists

int PersonTypeIndexOf(const QString& stored) {
    // Only the first seven kinds are recognised in a stored row.
    for (int i = 0; i < 7; ++i)
        if (stored.contains(editor_lists::PersonTypes().at(i)))
            return i;
    return -1;
}

QString DefaultPhotoPath(const QString& programDir, const QString& sex) {
    const bool male = sex.isEmpty() || sex == QStringLiteral("男");
    return programDir + (male ? "/image/user1.png" : "/image/user0.png");
}

QString ChoosePhotoPath(const QString& programDir, const TranscriptRecord& r,
                        const QString& cardPhotoPath) {
    const QString camera = programDir + "/视频照片/" + r.idNumber + "(" + r.name + ").bmp";
    if (QFileInfo::exists(camera))
        return camera;
    if (!cardPhotoPath.isEmpty())
        return cardPhotoPath;
    return DefaultPhotoPath(programDir, r.sex);
}
