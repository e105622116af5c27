package Board::Html;
# Board::Html - the HTML of board pages and posts, as CP932 bytes. In CP932
# no byte of a double-byte character is below 0x40, so "<", ">", "&", '"'
# and control characters are found with plain byte matching.
#
# API (exportable):
#   decode_entities($s)       &amp; &lt; &gt; &quot; &apos; &nbsp; and
#                             numeric references decoded (a character CP932
#                             lacks stays a numeric reference)
#   html_escape($s)           & < > " escaped as a board stores text; a numeric
#                             reference already there is kept
#   text_field($s)            a one-line value (name, mail, title): tags
#                             dropped, entities decoded, control characters
#                             as blanks, trimmed
#   body_lines($s)            a post's body as lines: " <br> " as line ends,
#                             tags dropped, entities decoded, a lone "." line
#                             made ". " (it would end an article record)
#   page_title($page)         the <title>'s text (text_field), '' without
#   hidden_fields($page)      (name, value, ...) of the page's hidden inputs,
#                             in page order, entities decoded
#   form_of($page, $base)     the first <form> of the page that has hidden
#                             inputs (else the first form) as { action =>
#                             absolute URL (resolved against $base; the
#                             page's own address when the form names none),
#                             method => 'POST'|'GET', fields => [name, value,
#                             ...] every named input but buttons, in order,
#                             submit => [name, value] of its first submit
#                             button or undef }; undef when the page has no form
use strict;
use warnings;
use re '/aa';
use Encode ();
use Exporter 'import';

our @EXPORT_OK = qw(decode_entities html_escape text_field body_lines page_title hidden_fields form_of);

my %ENTITY = (amp => '&', lt => '<', gt => '>', quot => '"', apos => "'", nbsp => ' ');

sub decode_entities {
    my ($s) = @_;
    $s =~ s/&(#\d{1,7}|#x[0-9a-f]{1,6}|[a-z]{2,8});/entity($1)/gie;
    return $s;
}

sub entity {
    my ($e) = @_;
    return $ENTITY{lc $e} // "&$e;" unless $e =~ /^#(x?)([0-9a-f]+)\z/i;
    my $cp = $1 ? hex $2 : $2;
    return "&$e;" if $cp == 0 || $cp > 0x10FFFF || ($cp >= 0xD800 && $cp <= 0xDFFF);
    return chr $cp if $cp < 0x80;
    # Characters CP932 lacks stay as a numeric reference the reader can follow.
    return Encode::encode('cp932', chr $cp, sub { sprintf '&#%d;', shift });
}

sub html_escape {
    my ($s) = @_;
    $s =~ s/&(?!#(?:\d{1,7}|x[0-9A-Fa-f]{1,6});)/&amp;/g;
    $s =~ s/</&lt;/g;
    $s =~ s/>/&gt;/g;
    $s =~ s/"/&quot;/g;
    return $s;
}

sub text_field {
    my ($s) = @_;
    $s =~ s/<[^>]*>//g;
    $s = decode_entities($s);
    $s =~ tr/\x00-\x1f\x7f/ /;
    $s =~ s/^ +| +$//g;
    return $s;
}

sub body_lines {
    my ($s) = @_;
    $s =~ s/^ //;
    $s =~ s/ \z//;
    $s =~ s/ ?<br\s*\/?> ?/\n/gi;
    $s =~ s/<[^>]*>//g;
    $s = decode_entities($s);
    my @lines = split /\r\n|\r|\n/, $s, -1;
    for (@lines) {
        tr/\x00-\x08\x0b-\x1f\x7f/ /;
        $_ = '. ' if $_ eq '.';
    }
    return @lines;
}

sub page_title {
    my ($page) = @_;
    my ($title) = $page =~ /<title[^>]*>(.*?)<\/title>/is;
    return text_field($title // '');
}

sub attributes {
    my ($attrs) = @_;
    my %a;
    while ($attrs =~ /([A-Za-z_:-]+)(?:\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))?/g) {
        $a{lc $1} //= decode_entities($2 // $3 // $4 // '');
    }
    return \%a;
}

sub hidden_fields {
    my ($page) = @_;
    my @fields;
    while ($page =~ /<input\b([^>]*)>/gi) {
        my $a = attributes($1);
        next unless lc($a->{type} // '') eq 'hidden' && defined $a->{name} && $a->{name} ne '';
        push @fields, $a->{name}, $a->{value} // '';
    }
    return @fields;
}

sub form_of {
    my ($page, $base) = @_;
    my @forms;
    while ($page =~ /<form\b([^>]*)>(.*?)(?:<\/form\s*>|\z)/gis) {
        my ($attrs, $inner) = (attributes($1), $2);
        my (@fields, $submit, $hidden);
        while ($inner =~ /<(input|textarea|button)\b([^>]*)>(?:(.*?)<\/textarea\s*>)?/gis) {
            my ($tag, $a, $text) = (lc $1, attributes($2), $3);
            my $type = lc($a->{type} // ($tag eq 'button' ? 'submit' : 'text'));
            next unless defined $a->{name} && $a->{name} ne '';
            if ($type eq 'submit' || $type eq 'image' || $tag eq 'button') {
                $submit //= [$a->{name}, $a->{value} // ''];
                next;
            }
            next if ($type eq 'checkbox' || $type eq 'radio') && !exists $a->{checked};
            $hidden = 1 if $type eq 'hidden';
            push @fields, $a->{name}, $tag eq 'textarea' ? decode_entities($text // '') : $a->{value} // '';
        }
        require URI;
        my $action = $attrs->{action} // '';
        $action = URI->new_abs($action eq '' ? $base : $action, $base)->as_string;
        push @forms, { action => $action, method => uc($attrs->{method} // 'GET') eq 'POST' ? 'POST' : 'GET',
                       fields => \@fields, submit => $submit, hidden => $hidden };
    }
    my ($form) = (grep({ $_->{hidden} } @forms), @forms);
    delete $form->{hidden} if $form;
    return $form;
}

1;
